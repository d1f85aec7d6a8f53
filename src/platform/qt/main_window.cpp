// The main window, its client area and its services.
#include "platform/qt/main_window.h"

#include "platform/paint_record.h"
#include "platform/qt/qt_geometry.h"
#include "platform/qt/qt_png.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QProgressDialog>

namespace mirokel {

namespace {

std::int16_t low16(int v) { return static_cast<std::int16_t>(v); }

QString duration(std::int64_t seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

ClientArea::ClientArea(WindowHandlers& handlers, QWidget* parent) : QWidget(parent), handlers(handlers)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void ClientArea::invalidate(const Rect& area, bool erase)
{
    const QRect r = qtRect(area).intersected(rect());
    if (r.isEmpty()) return;
    pending += r;
    if (erase) erasing += r;
    update(r);
}

void ClientArea::invalidateAll()
{
    pending = QRegion(rect());
    erasing = QRegion(rect());
    update();
}

void ClientArea::paintEvent(QPaintEvent* event)
{
    // Exposed parts of the window are redrawn as if invalidated with erase.
    const QRegion exposed = event->region() - pending;
    pending += exposed;
    erasing += exposed;
    for (const QRect& r : erasing) picture.fill(rectOf(r), colors::white);
    // The paint draws only inside the invalid region itself, not its bounding box: the
    // parts of the window between invalid rectangles keep their pixels.
    Canvas canvas(picture, text);
    canvas.setClip(clipRegionOf(pending));
    if (handlers.paint) handlers.paint(canvas, picture.width(), picture.height());
    pending = QRegion();
    erasing = QRegion();
    QPainter painter(this);
    const QImage image(reinterpret_cast<const uchar*>(picture.pixels()), picture.width(), picture.height(),
                       static_cast<qsizetype>(picture.width()) * 4, QImage::Format_RGB32);
    painter.drawImage(event->rect(), image, event->rect());
}

bool ClientArea::recordFullPaint(PaintRecord& record)
{
    if (!handlers.paint) return false;
    Surface scratch(picture.width(), picture.height());
    Canvas canvas(scratch, text);
    canvas.record(&record);
    handlers.paint(canvas, scratch.width(), scratch.height());
    return true;
}

void ClientArea::resizeEvent(QResizeEvent*)
{
    picture.resize(std::max(1, width()), std::max(1, height()));
    invalidateAll();
}

void ClientArea::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && handlers.buttonDown)
        handlers.buttonDown(low16(event->position().toPoint().x()), low16(event->position().toPoint().y()));
}

void ClientArea::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && handlers.buttonUp)
        handlers.buttonUp(low16(event->position().toPoint().x()), low16(event->position().toPoint().y()));
}

void ClientArea::mouseMoveEvent(QMouseEvent* event)
{
    if (handlers.mouseMove) handlers.mouseMove(low16(event->position().toPoint().x()), low16(event->position().toPoint().y()));
}

void ClientArea::keyPressEvent(QKeyEvent* event)
{
    if (handlers.keyDown) handlers.keyDown(event->key());
}

MainWindow::MainWindow(WindowHandlers& handlers, const std::vector<MenuEntry>& menu)
    : handlers(handlers), area(new ClientArea(handlers))
{
    setWindowTitle(QStringLiteral("Mirokel"));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setCentralWidget(area);
    // Below this the layout of the client area has no room for its grid and selectors.
    setMinimumSize(800, 600);
    buildMenu(menuBar(), menu);
}

void MainWindow::buildMenu(QWidget* bar, const std::vector<MenuEntry>& entries)
{
    for (const MenuEntry& entry : entries) {
        const QString text = QString::fromStdString(entry.text);
        if (entry.kind == MenuEntry::Kind::separator) {
            auto* line = new QAction(bar);
            line->setSeparator(true);
            bar->addAction(line);
        } else if (entry.kind == MenuEntry::Kind::popup) {
            auto* popup = new QMenu(text, bar);
            buildMenu(popup, entry.entries);
            bar->addAction(popup->menuAction());
        } else {
            auto* action = new QAction(text, bar);
            // Only the items that commands check get a check box; the others are plain commands.
            action->setCheckable(entry.checkable);
            const std::uint16_t id = entry.id;
            // A checkable item is not a toggle either: its check mark is set only by the commands,
            // so the one Qt toggled on the click is put back first.
            connect(action, &QAction::triggered, this, [this, action, id] {
                if (action->isCheckable()) action->setChecked(!action->isChecked());
                if (this->handlers.command) this->handlers.command(id);
            });
            bar->addAction(action);
            actions[id] = action;
        }
    }
}

void MainWindow::reportProgress(std::int64_t done, std::int64_t total, std::atomic<bool>& cancel)
{
    if (progress == nullptr) {
        progress = new QProgressDialog(QStringLiteral("Statistical simulation"), QStringLiteral("Cancel"), 0, 1000, this);
        progress->setWindowTitle(QStringLiteral("Statistical Simulation"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        connect(progress, &QProgressDialog::canceled, this, [&cancel] { cancel = true; });
        progressClock.start();
    }
    const std::int64_t elapsed = progressClock.elapsed() / 1000;
    const std::int64_t left = done > 0 ? elapsed * (total - done) / done : 0;
    progress->setLabelText(QStringLiteral("%1 of %2 series, %3%\nelapsed %4, left about %5")
                               .arg(done)
                               .arg(total)
                               .arg(total > 0 ? done * 100 / total : 100)
                               .arg(duration(elapsed))
                               .arg(duration(left)));
    progress->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 1000);
    QApplication::processEvents();
    if (done >= total) endProgress();
}

void MainWindow::endProgress()
{
    if (progress == nullptr) return;
    progress->deleteLater();
    progress = nullptr;
}

void MainWindow::invalidate(const Rect& r, bool erase) { area->invalidate(r, erase); }

void MainWindow::invalidateAll() { area->invalidateAll(); }

void MainWindow::closeWindow() { close(); }

void MainWindow::checkMenuItem(std::uint16_t id, bool checked)
{
    const auto found = actions.find(id);
    if (found != actions.end()) found->second->setChecked(checked);
}

// The faces are painted by the window's own paint, so they are always there.
bool MainWindow::loadButtonImage(std::uint16_t) { return true; }

void MainWindow::createTminEdit()
{
    tminEdit = new QLineEdit(QStringLiteral("Tmin Text"), area);
    // The view sizes the entry to its text: the window font, a one-pixel border, no margins.
    tminEdit->setFont(QtTextEngine::qtFont(FontSpec{"", 0}));
    tminEdit->setFrame(false);
    tminEdit->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid black; padding: 0px; margin: 0px; }"));
    tminEdit->setTextMargins(0, 0, 0, 0);
    tminEdit->setGeometry(0, 0, 0, 0);
    tminEdit->hide();
    connect(tminEdit, &QLineEdit::returnPressed, this, [this] {
        if (this->handlers.tminEntered) this->handlers.tminEntered();
    });
}

void MainWindow::setTminEditText(std::string_view text)
{
    if (tminEdit != nullptr) tminEdit->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

std::string MainWindow::tminEditText() { return tminEdit != nullptr ? tminEdit->text().toStdString() : std::string(); }

// While shown the entry keeps the keyboard: the client area hands its focus on to it.
void MainWindow::showTminEdit(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    if (tminEdit == nullptr) return;
    tminEdit->setGeometry(x, y, width, height);
    area->setFocusProxy(tminEdit);
    tminEdit->show();
    tminEdit->setFocus();
}

void MainWindow::hideTminEdit()
{
    if (tminEdit == nullptr || tminEdit->isHidden()) return;
    const bool focused = tminEdit->hasFocus();
    area->setFocusProxy(nullptr);
    tminEdit->setGeometry(0, 0, 0, 0);
    tminEdit->hide();
    if (focused) area->setFocus();
}

void MainWindow::captureMouse(bool captured)
{
    if (captured) {
        area->grabMouse();
    } else {
        area->releaseMouse();
    }
}

CursorShape MainWindow::setCursor(CursorShape shape)
{
    const CursorShape previous = cursor;
    cursor = shape;
    static const std::map<CursorShape, Qt::CursorShape> shapes{{CursorShape::arrow, Qt::ArrowCursor},
                                                               {CursorShape::sizeVertical, Qt::SizeVerCursor},
                                                               {CursorShape::sizeDiagonal, Qt::SizeFDiagCursor}};
    area->setCursor(shapes.at(shape));
    return previous;
}

std::string MainWindow::encodePng(const std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    return encodePngWithQt(pixels, width, height);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!closed && handlers.closing) handlers.closing();
    closed = true;
    event->accept();
}

} // namespace mirokel
