// The headless window: message boxes, window-service calls and repaint requests are
// recorded, and dialogs are answered from a queue of scripted answers, for tests and for
// the batch command line.
#pragma once

#include "platform/canvas.h"
#include "platform/window.h"

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace mirokel {

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::none;

    friend bool operator==(const RecordedMessage&, const RecordedMessage&) = default;
};

// Safe to call from the worker threads of a simulation.
class RecordingMessageBox final : public MessageBox {
public:
    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
    std::vector<RecordedMessage> messages;

private:
    std::mutex lock;
};

struct RecordedInvalidation {
    Rect area;  // right and bottom exclusive; the whole client area is {0, 0, -1, -1}
    bool erase;

    friend bool operator==(const RecordedInvalidation&, const RecordedInvalidation&) = default;
};

class RecordingWindowServices final : public WindowServices {
public:
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
    Surface* clientPicture() override { return picture; }
    std::string encodePng(const std::uint32_t* pixels, std::int32_t width, std::int32_t height) override;
    bool recordFullPaint(PaintRecord& record) override;

    // Paints on demand what was invalidated since the last paint, as the window does: the
    // rectangles invalidated with erase are filled white, then `paint` draws on `canvas`
    // clipped to the union of all invalidated rectangles. The record is cleared and the
    // clip is the whole surface again afterwards.
    void paintInvalidated(Canvas& canvas, const std::function<void()>& paint);

    std::vector<RecordedInvalidation> invalidations;
    std::map<std::uint16_t, bool> menuChecks;
    std::set<std::uint16_t> missingImages; // button faces that fail to load
    std::vector<std::uint16_t> loadedImages;
    bool closeRequested = false;
    bool tminEditCreated = false;
    std::string tminEditTyped = "Tmin Text"; // the entry's text
    bool tminEditShown = false;
    Rect tminEditPlace;                      // where the last show put it, right and bottom exclusive
    bool mouseCaptured = false;
    CursorShape cursor = CursorShape::arrow;
    Surface* picture = nullptr; // the client area's picture, when a test or the batch line gives one
    // The image writer behind encodePng; without one no PNG can be encoded.
    std::function<std::string(const std::uint32_t* pixels, std::int32_t width, std::int32_t height)> pngEncoder;
    // The full paint behind recordFullPaint; without one there is none.
    std::function<bool(PaintRecord& record)> fullPaintRecorder;
};

// One scripted answer to a dialog: the clicks on radio buttons and check boxes, in order,
// the texts typed into edits, and OK or Cancel.
struct DialogAnswer {
    std::vector<std::int32_t> clicks;
    std::map<std::int32_t, std::string> texts;
    bool ok = true;
};

// Answers dialogs in the order they open. A dialog without a queued answer is cancelled.
// Input the dialog refuses on OK is reported as a message box and the dialog cancelled.
class ScriptedDialogs final : public Dialogs {
public:
    explicit ScriptedDialogs(MessageBox& refusals) : refusals(refusals) {}

    bool runDialog(const DialogDescription& description, DialogValues& values, const DialogClick& onClick,
                   const DialogCheck& onOk) override;
    std::string chooseSaveFile(const SaveFileRequest& request) override;

    std::deque<DialogAnswer> answers;
    std::deque<std::string> saveFileNames;      // answers of the save dialog, in order ("" cancels)
    std::vector<SaveFileRequest> saveRequests;  // the save dialogs shown
    std::vector<std::string> titles;    // the dialogs shown, in order
    std::vector<DialogValues> shown;    // what each showed when it opened

private:
    MessageBox& refusals;
};

// Owns one of each and hands out the Window handle over them.
class ScriptedWindow {
public:
    ScriptedWindow() = default;
    ScriptedWindow(const ScriptedWindow&) = delete;
    ScriptedWindow& operator=(const ScriptedWindow&) = delete;

    Window& window() { return handle; }
    const std::vector<RecordedMessage>& messages() const { return messageBox.messages; }
    void clearMessages() { messageBox.messages.clear(); }

    RecordingMessageBox messageBox;
    RecordingWindowServices services;
    ScriptedDialogs dialogs{messageBox};

private:
    Window handle{messageBox, services, dialogs};
};

} // namespace mirokel
