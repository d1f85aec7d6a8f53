// Measuring and drawing text with Qt on the window's surface.
#include "platform/qt/qt_text_engine.h"

#include "platform/qt/qt_geometry.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace mirokel {

namespace {

// Greek letters of the "Symbol" face for the Latin letters a … z and A … Z (letters
// without a Greek counterpart stay as they are).
QChar greekFor(QChar c)
{
    static const char16_t lower[] = u"αβχδεφγηιϕκλμνοπθρστυϖωξψζ";
    static const char16_t upper[] = u"ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖ";
    if (c >= u'a' && c <= u'z') return QChar(lower[c.unicode() - u'a']);
    if (c >= u'A' && c <= u'Z') return QChar(upper[c.unicode() - u'A']);
    return c;
}

} // namespace

QFont QtTextEngine::qtFont(const FontSpec& font)
{
    // The statistics view's "Symbol" face is narrower than DejaVu Sans (its digits are half
    // an em wide); its graph labels are spaced for that, so the face is drawn condensed.
    constexpr int symbolStretch = 80;
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setHintingPreference(QFont::PreferFullHinting);
    if (font.face == "Symbol") f.setStretch(symbolStretch);
    if (font.height <= 0) {
        f.setPixelSize(windowFontPixels);
        return f;
    }
    // A height asked for is the cell height (ascent + descent), as the reference platform
    // matches it: the largest pixel size whose line fits in it.
    f.setPixelSize(font.height);
    const int cell = QFontMetrics(f).height();
    int size = std::max(1, font.height * font.height / std::max(cell, 1));
    f.setPixelSize(size);
    while (size > 1 && QFontMetrics(f).height() > font.height) f.setPixelSize(--size);
    while (true) {
        QFont larger(f);
        larger.setPixelSize(size + 1);
        if (QFontMetrics(larger).height() > font.height) break;
        f = larger;
        ++size;
    }
    return f;
}

QString QtTextEngine::shownText(const FontSpec& font, std::string_view text)
{
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (font.face == "Symbol")
        for (QChar& c : shown) c = greekFor(c);
    return shown;
}

TextMetrics QtTextEngine::metrics(const FontSpec& font)
{
    const QFontMetrics m(qtFont(font));
    return {m.height(), m.leading(), m.averageCharWidth()};
}

TextSize QtTextEngine::extent(const FontSpec& font, std::string_view text)
{
    const QFontMetrics m(qtFont(font));
    return {m.horizontalAdvance(shownText(font, text)), m.height()};
}

void QtTextEngine::draw(Surface& surface, const ClipRegion& clip, const TextRun& run)
{
    if (clip.empty()) return; // nothing of the run can show
    QImage image(reinterpret_cast<uchar*>(surface.pixels()), surface.width(), surface.height(),
                 static_cast<qsizetype>(surface.width()) * 4, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setClipRegion(qtRegion(clip));
    const QFont font = qtFont(run.font);
    painter.setFont(font);
    const QFontMetrics m(font);
    const QString text = shownText(run.font, run.text);
    if (run.mode == BackgroundMode::opaque) {
        const QColor background(run.background.r, run.background.g, run.background.b);
        painter.fillRect(QRect(run.x, run.y, m.horizontalAdvance(text), m.height()), background);
    }
    painter.setPen(QColor(run.color.r, run.color.g, run.color.b));
    painter.drawText(run.x, run.y + m.ascent(), text);
}

} // namespace mirokel

namespace mirokel {

TextFace QtTextEngine::face(const FontSpec& font, std::string_view text)
{
    const QFont f = qtFont(font);
    const QFontMetrics m(f);
    const QString shown = shownText(font, text);
    return {f.family().toStdString(), f.pixelSize(), m.ascent(), m.horizontalAdvance(shown), m.height(),
            f.stretch() == 0 ? 100 : f.stretch(), shown.toStdString()};
}

} // namespace mirokel
