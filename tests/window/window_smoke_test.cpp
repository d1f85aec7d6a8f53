// The real window: started as the workbench starts, " Processing Next Data " chosen from
// the menu with real mouse events, and the result view painted. Runs under a display
// (xvfb-run in CI).
#include "workbench.h"

#include "engine/rest_error_header.h"
#include "platform/qt/qt_text_engine.h"
#include "views/statistics_view.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QFontMetrics>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace mirokel {
namespace {

QAction* findAction(const QList<QAction*>& actions, const QString& text)
{
    for (QAction* action : actions)
        if (action->text() == text) return action;
    return nullptr;
}

TEST(WindowSmoke, ProcessingNextDataFromTheMenuPaintsTheResultView)
{
    Workbench workbench;
    ASSERT_TRUE(workbench.start());
    MainWindow& window = workbench.mainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);
    // Joint detection of cut-off pulses, so that the result shows detected pulses.
    workbench.command(40007);
    workbench.command(40011);

    // Open " Processing" on the menu bar with a click, then click its item.
    QMenuBar* bar = window.menuBar();
    QAction* processing = findAction(bar->actions(), QStringLiteral(" Processing"));
    ASSERT_NE(processing, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(processing).center());
    QMenu* menu = processing->menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QAction* next = findAction(menu->actions(), QStringLiteral(" Processing Next Data "));
    ASSERT_NE(next, nullptr);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(next).center());
    QTest::qWait(300);
    QApplication::processEvents();

    const AppState& state = workbench.state();
    EXPECT_EQ(state.dwViewMode, 6);
    ASSERT_NE(state.lpSeriesHeader, nullptr);
    EXPECT_GT(state.lpSeriesHeader->wDetPulses, 0);
    // The series curve is blue: some pixel of the graph area is (0, 0, 255).
    const Surface& picture = window.clientArea().surface();
    ASSERT_GT(state.rcGraph.right, state.rcGraph.left) << "the window was laid out";
    ASSERT_LT(state.rcGraph.bottom, picture.height());
    ASSERT_LT(state.rcGraph.right, picture.width());
    bool blue = false;
    for (std::int32_t y = state.rcGraph.top; y <= state.rcGraph.bottom && !blue; ++y)
        for (std::int32_t x = state.rcGraph.left; x <= state.rcGraph.right && !blue; ++x)
            blue = picture.pixels()[static_cast<std::size_t>(y) * picture.width() + x] == colors::blue.rgb32();
    EXPECT_TRUE(blue) << "the result view was painted";
    // The picture, for a look by hand: MIROKEL_SCREENSHOT names the PNG file to write.
    if (const char* file = std::getenv("MIROKEL_SCREENSHOT")) window.grab().save(QString::fromLocal8Bit(file));
}

// Only the items that commands check carry a check box; the others are plain commands.
TEST(WindowSmoke, MenuItemsAreCheckableOnlyWhereCommandsPutChecks)
{
    Workbench workbench;
    ASSERT_TRUE(workbench.start());
    QMenuBar* bar = workbench.mainWindow().menuBar();
    const auto item = [bar](const QString& popup, const QString& text) -> QAction* {
        QAction* menu = findAction(bar->actions(), popup);
        if (menu == nullptr || menu->menu() == nullptr) return nullptr;
        QList<QAction*> actions = menu->menu()->actions();
        for (QAction* sub : menu->menu()->actions())
            if (sub->menu() != nullptr) actions += sub->menu()->actions();
        return findAction(actions, text);
    };
    for (const char* plain : {" Exit", " Save image as...", " Create series... "}) {
        QAction* action = item(QStringLiteral(" File"), QString::fromUtf8(plain));
        ASSERT_NE(action, nullptr) << plain;
        EXPECT_FALSE(action->isCheckable()) << plain;
    }
    QAction* subsets = item(QStringLiteral(" Settings"), QStringLiteral(" Subset settings ..."));
    ASSERT_NE(subsets, nullptr);
    EXPECT_FALSE(subsets->isCheckable());
    QAction* recognition = item(QStringLiteral(" Settings"), QStringLiteral(" Recognition"));
    QAction* detection = item(QStringLiteral(" Settings"), QStringLiteral(" Detection"));
    ASSERT_NE(recognition, nullptr);
    ASSERT_NE(detection, nullptr);
    EXPECT_TRUE(recognition->isChecked()) << "checked at start-up";
    detection->trigger();
    EXPECT_TRUE(detection->isChecked());
    EXPECT_FALSE(recognition->isChecked()) << "the command moved the check";
}

// A repaint of the graph and the select face (command 213) draws inside those two
// rectangles only: the rest of the picture, between them too, keeps its pixels.
TEST(WindowSmoke, RepaintDrawsOnlyInsideTheInvalidatedRectangles)
{
    Workbench workbench;
    ASSERT_TRUE(workbench.start());
    MainWindow& window = workbench.mainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    workbench.command(40007); // joint detection: a mode with a select face
    workbench.command(40018);
    QTest::qWait(300);
    AppState& state = workbench.state();
    ASSERT_EQ(state.wProcessingMode, 4);
    state.dwRepaintButtonColumn = 0;
    Surface& picture = window.clientArea().surface();
    constexpr Color kept{1, 2, 3}; // a colour no view draws
    picture.fill({0, 0, picture.width(), picture.height()}, kept);
    workbench.command(213);
    QTest::qWait(300);

    const Rect graph{state.rcGraph.left, state.rcGraph.top - 10, state.rcGraph.right, state.rcGraph.bottom};
    const Rect face = state.rcSelectAllButton;
    ASSERT_GT(face.left, graph.right) << "the face is apart from the graph";
    const auto inside = [](const Rect& r, std::int32_t x, std::int32_t y) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    };
    std::int64_t changedOutside = 0, changedInside = 0;
    for (std::int32_t y = 0; y < picture.height(); ++y) {
        for (std::int32_t x = 0; x < picture.width(); ++x) {
            if (picture.pixels()[static_cast<std::size_t>(y) * picture.width() + x] == kept.rgb32()) continue;
            ++(inside(graph, x, y) || inside(face, x, y) ? changedInside : changedOutside);
        }
    }
    EXPECT_EQ(changedOutside, 0) << "pixels changed outside the invalidated rectangles";
    EXPECT_GT(changedInside, 0) << "the graph and the face were repainted";
}

// Text through Qt is cut to each rectangle of a clip region and drawn nowhere between them.
TEST(WindowText, TextIsClippedToTheRectanglesOfARegion)
{
    Surface surface(240, 30);
    QtTextEngine text;
    ClipRegion clip;
    clip.add({0, 0, 60, 30});
    clip.add({150, 0, 240, 30});
    text.draw(surface, clip, TextRun{2, 5, std::string(40, 'M'), {}, colors::black, BackgroundMode::opaque, colors::red});
    std::int32_t inFirst = 0, inSecond = 0, between = 0;
    for (std::int32_t y = 0; y < surface.height(); ++y) {
        for (std::int32_t x = 0; x < surface.width(); ++x) {
            if (surface.pixels()[static_cast<std::size_t>(y) * surface.width() + x] == colors::white.rgb32()) continue;
            ++(x < 60 ? inFirst : x >= 150 ? inSecond : between);
        }
    }
    EXPECT_GT(inFirst, 0);
    EXPECT_GT(inSecond, 0);
    EXPECT_EQ(between, 0);
}

// A tuple composed on the subset panel with real mouse clicks, accepted and processed.
TEST(WindowSmoke, ComposeATupleWithTheMouseAndProcessIt)
{
    Workbench workbench;
    ASSERT_TRUE(workbench.start());
    MainWindow& window = workbench.mainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);
    const AppState& state = workbench.state();
    ASSERT_EQ(state.dwViewMode, 9) << "the tuple panel is the first view";
    ASSERT_EQ(state.dwPanelButtons, 6);
    auto click = [&](const Rect& r) {
        QTest::mouseClick(&window.clientArea(), Qt::LeftButton, {}, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        QTest::qWait(50);
    };
    click(state.arcSubsetCells[2]); // c
    click(state.arcSubsetCells[4]); // e
    EXPECT_EQ(state.dwSubsetSize, 2);
    click(state.ButtonsWhileSelectedSubsetRect[4]); // " Accept "
    EXPECT_EQ(state.dwReservedCount, 1);
    if (const char* file = std::getenv("MIROKEL_PANEL_SCREENSHOT")) window.grab().save(QString::fromLocal8Bit(file));
    click(state.ButtonsWhileSelectedSubsetRect[3]); // " OK "
    EXPECT_EQ(state.dwViewMode, 6);
    ASSERT_NE(state.lpSeriesHeader, nullptr);
    EXPECT_EQ(state.lpSeriesHeader->wDetSubset, 1) << "the series repeats the tuple (c, e)";
    EXPECT_EQ(state.lpSeriesHeader->lpEtalonNumbers[0], 3);
}

// " View series parameters..." chosen on the File menu with real mouse events; the a+
// handle dragged with the mouse moves its dotted level; a Tmin typed into the entry and
// Enter take it and start the next data with it.
TEST(WindowSmoke, SeriesParametersViewTakesADragAndATypedTmin)
{
    Workbench workbench;
    ASSERT_TRUE(workbench.start());
    MainWindow& window = workbench.mainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);
    workbench.command(40009); // unfixed whole pulses: OK goes straight to the next data
    QMenuBar* bar = window.menuBar();
    QAction* file = findAction(bar->actions(), QStringLiteral(" File"));
    ASSERT_NE(file, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file).center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(file->menu()));
    QAction* view = findAction(file->menu()->actions(), QStringLiteral(" View series parameters..."));
    ASSERT_NE(view, nullptr);
    QTest::mouseClick(file->menu(), Qt::LeftButton, {}, file->menu()->actionGeometry(view).center());
    QTest::qWait(300);

    const AppState& state = workbench.state();
    ASSERT_EQ(state.dwViewMode, 10);
    const ParamsHeader* params = state.lpParamsHeader;
    ASSERT_NE(params, nullptr);
    auto* entry = window.findChild<QLineEdit*>();
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->isVisible());
    EXPECT_EQ(entry->text(), QStringLiteral("40"));
    EXPECT_GT(entry->width(), 0);

    ClientArea& area = window.clientArea();
    const Surface& picture = area.surface();
    const auto black = [&](std::int32_t x, std::int32_t y) {
        return picture.pixels()[static_cast<std::size_t>(y) * picture.width() + x] == colors::black.rgb32();
    };
    const std::int32_t dotX = params->lnAPlusDots.x0, oldY = params->lnAPlusDots.y0;
    ASSERT_TRUE(black(dotX, oldY)) << "the a+ level is dotted";
    const QPoint handle((params->rcAPlusHandle.left + params->rcAPlusHandle.right) / 2, oldY);
    const QPoint higher = handle - QPoint(0, 100);
    QTest::mouseMove(&area, handle);
    QTest::qWait(50);
    EXPECT_EQ(params->dwHoverAPlus, 1);
    QTest::mousePress(&area, Qt::LeftButton, {}, handle);
    QTest::mouseMove(&area, handle - QPoint(0, 50));
    QTest::mouseMove(&area, higher);
    QTest::mouseRelease(&area, Qt::LeftButton, {}, higher);
    QTest::qWait(300);
    EXPECT_EQ(params->dwDragAPlus, 0);
    EXPECT_GT(params->dwAPlus, 161) << "dragged up";
    EXPECT_NE(params->lnAPlusDots.y0, oldY);
    EXPECT_TRUE(black(dotX, params->lnAPlusDots.y0)) << "the level was drawn again where it went";
    EXPECT_FALSE(black(dotX + 40, oldY)) << "and erased where it stood";
    if (const char* shot = std::getenv("MIROKEL_PARAMS_SCREENSHOT")) window.grab().save(QString::fromLocal8Bit(shot));

    entry->setFocus();
    QTest::keyClick(entry, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(entry, QStringLiteral("35"));
    QTest::keyClick(entry, Qt::Key_Return);
    QTest::qWait(300);
    EXPECT_EQ(state.wTmin, 35);
    EXPECT_EQ(state.dwViewMode, 6);
    ASSERT_NE(state.lpSeriesHeader, nullptr);
    EXPECT_EQ(state.lpSeriesHeader->wTmin, 35) << "the next series uses it";
    EXPECT_FALSE(entry->isVisible());
}

// "Statistical Simulation" from the menu's command: its dialogs and summary box accepted
// with Enter as they show the state, the progress dialog shown and closed, the results kept.
TEST(WindowSmoke, SimulationRunsThroughItsDialogsWithProgress)
{
    Workbench workbench;
    ASSERT_TRUE(workbench.start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&workbench.mainWindow()));
    AppState& state = workbench.state();
    workbench.command(40009); // unfixed whole pulses
    workbench.command(40005); // detection
    state.wRepeats = 2;
    state.wNoiseSteps = 2;
    QStringList answered;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&answered] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || qobject_cast<QProgressDialog*>(modal) != nullptr) return;
        answered << modal->windowTitle();
        QTest::keyClick(modal, Qt::Key_Return);
    });
    poll.start(100);
    workbench.command(40012);
    poll.stop();
    EXPECT_EQ(answered, (QStringList{"Create Series", " Location Parameters", "getPulseEstAsRepeats",
                                     " Show Statistical Simulation parameters"}));
    ASSERT_NE(state.lpRestErrorHeader, nullptr);
    EXPECT_EQ(state.lpRestErrorHeader->ifComplete, 1);
    EXPECT_EQ(state.dwViewMode, 6);
    EXPECT_EQ(state.wResultKind, 2);
    QTest::qWait(300);
    QApplication::processEvents();
    for (QProgressDialog* dialog : workbench.mainWindow().findChildren<QProgressDialog*>())
        EXPECT_FALSE(dialog->isVisible()) << "the progress dialog is closed after the run";

    // The statistics view is painted: the error graph's double frame where its layout puts
    // it, and the parameter lines in the window font.
    const Surface& picture = workbench.mainWindow().clientArea().surface();
    auto at = [&](std::int32_t x, std::int32_t y) {
        return picture.pixels()[static_cast<std::size_t>(y) * picture.width() + x];
    };
    const ErrorGraphFrame g =
        statisticsViewLayout(state.rcGraph, state.dwLineHeight, state.wRequiredCount, 2).graph;
    ASSERT_GT(g.gw, 0);
    ASSERT_LT(g.gx + g.gw + 1, picture.width());
    const std::int32_t middle = g.gy + g.gh / 2 + 1; // off the grid's dotted rows
    for (std::int32_t x : {g.gx - 1, g.gx, g.gx + g.gw, g.gx + g.gw + 1})
        EXPECT_EQ(at(x, middle), colors::black.rgb32()) << "frame column " << x;
    EXPECT_EQ(at(g.gx - 2, middle), colors::white.rgb32());
    bool text = false;
    for (std::int32_t y = state.rcGraph.top; y < state.rcGraph.top + state.dwLineHeight && !text; ++y)
        for (std::int32_t x = state.rcGraph.left + 10; x < state.rcGraph.left + 200 && !text; ++x)
            text = at(x, y) != colors::white.rgb32();
    EXPECT_TRUE(text) << "the first parameter line";
    if (const char* file = std::getenv("MIROKEL_STATS_SCREENSHOT"))
        workbench.mainWindow().grab().save(QString::fromLocal8Bit(file));
}

// The "Symbol" face of the statistics view shows Latin letters as Greek ones, and the
// window's font has every glyph of its formula, axis unit and curve label.
TEST(WindowSmoke, SymbolFaceShowsGreekLetters)
{
    const FontSpec symbol{"Symbol", 28};
    const struct {
        const char* latin;
        const char* shown;
    } cases[] = {
        {"e(s)=E||C-<C>||2/||C||2", "ε(σ)=Ε||Χ-<Χ>||2/||Χ||2"},
        {"e(s)=E||h-<h>||2/||h||2", "ε(σ)=Ε||η-<η>||2/||η||2"},
        {"s", "σ"},
        {"S", "Σ"},
        {" 32 -> 38", " 32 -> 38"},
    };
    const QFontMetrics metrics(QtTextEngine::qtFont(symbol));
    for (const auto& c : cases) {
        const QString shown = QtTextEngine::shownText(symbol, c.latin);
        EXPECT_EQ(shown, QString::fromUtf8(c.shown)) << c.latin;
        for (QChar ch : shown) EXPECT_TRUE(metrics.inFont(ch)) << c.latin << ": U+" << std::hex << static_cast<unsigned>(ch.unicode());
    }
    EXPECT_EQ(QtTextEngine::shownText(FontSpec{}, "e(s)"), QStringLiteral("e(s)")) << "the window font keeps Latin";
    // A height asked for is the cell height the font is given, as near as its sizes go.
    QtTextEngine engine;
    for (std::int32_t height : {17, 28, 32, 43}) {
        const TextMetrics m = engine.metrics(FontSpec{"Symbol", height});
        EXPECT_LE(m.height, height);
        EXPECT_GE(m.height, height - 2);
    }
}

// A dialog built from its description: a radio click and Enter accept it, Esc cancels.
TEST(WindowSmoke, DialogsAnswerToClicksEnterAndEscape)
{
    Workbench workbench;
    ASSERT_TRUE(workbench.start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&workbench.mainWindow()));
    auto answer = [](const QString& radioText, int key) {
        QTimer::singleShot(200, [radioText, key] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Subset settings"));
            for (QRadioButton* radio : dialog->findChildren<QRadioButton*>())
                if (radio->text() == radioText) radio->click();
            QTest::keyClick(dialog, static_cast<Qt::Key>(key));
        });
    };
    answer(QStringLiteral("Single fixed"), Qt::Key_Return);
    workbench.command(40029);
    EXPECT_EQ(workbench.state().wSubsetEmployment, 2);
    answer(QStringLiteral("Multiple random"), Qt::Key_Escape);
    workbench.command(40029);
    EXPECT_EQ(workbench.state().wSubsetEmployment, 2) << "Escape cancels";
}

// The save dialog offers its filters and appends the default extension.
TEST(WindowSmoke, SaveDialogAppendsTheDefaultExtension)
{
    Workbench workbench;
    ASSERT_TRUE(workbench.start());
    const QString folder = QDir::tempPath();
    // Answer the dialog once it is up: every 100 ms until then.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&poll, folder] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        poll.stop();
        EXPECT_EQ(dialog->nameFilters(), (QStringList{"Bitmap Files (*.bmp)", "PCX Files (*.pcx)"}));
        dialog->setDirectory(folder);
        // Typed as a user types it: the name, then Enter.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("mirokel-snapshot-test"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    poll.start(100);
    const SaveFileRequest request{"Snapshot File Name",
                                  {{"Bitmap Files (*.bmp)", "*.bmp"}, {"PCX Files (*.pcx)", "*.pcx"}},
                                  "bmp",
                                  true};
    const std::string chosen = workbench.mainWindow().window().dialogs.chooseSaveFile(request);
    EXPECT_EQ(QString::fromStdString(chosen), QDir(folder).filePath(QStringLiteral("mirokel-snapshot-test.bmp")));
}

// " Save image as..." from the menu: the dialog offers BMP, PCX, PNG and SVG; a raster
// file holds the window's picture pixel for pixel, the SVG rasterises to its size.
TEST(WindowSmoke, SaveImageWritesTheWindowsPicture)
{
    Workbench workbench;
    ASSERT_TRUE(workbench.start());
    MainWindow& window = workbench.mainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    workbench.command(40018); // " Processing Next Data "
    QTest::qWait(300);
    QApplication::processEvents();
    const Surface& picture = window.clientArea().surface();
    const QImage shown = QImage(reinterpret_cast<const uchar*>(picture.pixels()), picture.width(), picture.height(),
                                static_cast<qsizetype>(picture.width()) * 4, QImage::Format_RGB32)
                             .copy();
    const QDir folder(QDir::tempPath());
    for (const QString& name : {QStringLiteral("mirokel-save-image.bmp"), QStringLiteral("mirokel-save-image.PNG"),
                                QStringLiteral("mirokel-save-image.svg")}) {
        QFile::remove(folder.filePath(name));
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&poll, &folder, name] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            poll.stop();
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Snapshot File Name"));
            EXPECT_EQ(dialog->nameFilters(),
                      (QStringList{"Bitmap Files (*.bmp)", "PCX Files (*.pcx)", "PNG Files (*.png)",
                                   "SVG Files (*.svg)"}));
            dialog->setDirectory(folder);
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(edit, nullptr);
            edit->setText(name);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        poll.start(100);
        QMenuBar* bar = window.menuBar();
        QAction* file = findAction(bar->actions(), QStringLiteral(" File"));
        ASSERT_NE(file, nullptr);
        QAction* save = findAction(file->menu()->actions(), QStringLiteral(" Save image as..."));
        ASSERT_NE(save, nullptr);
        save->trigger();
        QApplication::processEvents();
        if (name.endsWith(QStringLiteral(".svg"))) {
            // A vector picture of a fresh paint at the client size, rasterised independently.
            const QString png = folder.filePath(QStringLiteral("mirokel-save-image-svg.png"));
            const QString convert = "rsvg-convert '" + folder.filePath(name) + "' -o '" + png + "'";
            EXPECT_EQ(std::system(convert.toLocal8Bit().constData()), 0);
            EXPECT_EQ(QImage(png).size(), shown.size());
            QFile::remove(png);
            QFile::remove(folder.filePath(name));
            continue;
        }
        const QImage saved(folder.filePath(name));
        ASSERT_FALSE(saved.isNull()) << name.toStdString();
        EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), shown) << name.toStdString();
        QFile::remove(folder.filePath(name));
    }
}

} // namespace
} // namespace mirokel

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
