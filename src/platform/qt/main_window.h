// The workbench's main window on Qt Widgets: the menu bar built from the menu table, a
// client area that is a persistent picture repainted region by region, the window
// services the commands use, and a progress dialog while a simulation runs.
#pragma once

#include "platform/canvas.h"
#include "platform/menu.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text_engine.h"
#include "platform/window.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QRegion>
#include <QWidget>

#include <atomic>
#include <functional>
#include <map>

class QAction;
class QLineEdit;
class QProgressDialog;

namespace mirokel {

// What the window calls into: the paint of the client area, the commands, the mouse and
// keys, and the shutdown when it closes.
struct WindowHandlers {
    std::function<void(Canvas& canvas, std::int32_t width, std::int32_t height)> paint;
    std::function<void(std::uint16_t id)> command;
    std::function<void(std::int16_t x, std::int16_t y)> buttonDown;
    std::function<void(std::int16_t x, std::int16_t y)> buttonUp;
    std::function<void(std::int16_t x, std::int16_t y)> mouseMove;
    std::function<void(int key)> keyDown;
    std::function<void()> tminEntered; // Enter in the Tmin entry
    std::function<void()> closing;
};

// The client area: a persistent RGB picture. A repaint request marks a rectangle invalid
// (erasing it to white at the next paint when asked); the paint clips to what is
// invalid, lets the handlers draw, and shows the picture.
class ClientArea final : public QWidget {
    Q_OBJECT
public:
    explicit ClientArea(WindowHandlers& handlers, QWidget* parent = nullptr);

    void invalidate(const Rect& area, bool erase);
    void invalidateAll();
    Surface& surface() { return picture; }
    // The whole view painted afresh at the client size on a scratch picture, recorded.
    bool recordFullPaint(PaintRecord& record);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    WindowHandlers& handlers;
    Surface picture{1, 1};
    QtTextEngine text;
    QRegion pending;  // invalid, not yet painted
    QRegion erasing;  // the part of it to erase first
};

class MainWindow final : public QMainWindow, public WindowServices {
    Q_OBJECT
public:
    MainWindow(WindowHandlers& handlers, const std::vector<MenuEntry>& menu);

    Window& window() { return handle; }
    ClientArea& clientArea() { return *area; }

    // Shows the progress of a simulation: a modal dialog with the percentage, the time
    // elapsed and the time left, whose Cancel sets `cancel`; the window repaints meanwhile.
    void reportProgress(std::int64_t done, std::int64_t total, std::atomic<bool>& cancel);
    // Closes the progress dialog of a run that ended early (cancelled or stopped).
    void endProgress();

    // WindowServices
    void invalidate(const Rect& area, bool erase) override;
    void invalidateAll() override;
    void closeWindow() override;
    void checkMenuItem(std::uint16_t id, bool checked) override;
    bool loadButtonImage(std::uint16_t resourceId) override;
    void createTminEdit() override;
    void setTminEditText(std::string_view text) override;
    std::string tminEditText() override;
    void showTminEdit(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override;
    void hideTminEdit() override;
    void captureMouse(bool captured) override;
    CursorShape setCursor(CursorShape shape) override;
    Surface* clientPicture() override { return &area->surface(); }
    std::string encodePng(const std::uint32_t* pixels, std::int32_t width, std::int32_t height) override;
    bool recordFullPaint(PaintRecord& record) override { return area->recordFullPaint(record); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu(QWidget* bar, const std::vector<MenuEntry>& entries);

    WindowHandlers& handlers;
    ClientArea* area;
    QtMessageBox messages{this};
    QtDialogs dialogs{this};
    Window handle{messages, *this, dialogs};
    std::map<std::uint16_t, QAction*> actions;
    QLineEdit* tminEdit = nullptr;
    QProgressDialog* progress = nullptr;
    CursorShape cursor = CursorShape::arrow;
    QElapsedTimer progressClock;
    bool closed = false;
};

} // namespace mirokel
