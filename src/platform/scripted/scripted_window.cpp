// Recorders and the scripted dialogs of the headless window.
#include "platform/scripted/scripted_window.h"

namespace mirokel {

void RecordingMessageBox::showMessage(std::string_view text, std::string_view caption, MessageIcon icon)
{
    const std::lock_guard<std::mutex> guard(lock);
    messages.push_back({std::string(text), std::string(caption), icon});
}

void RecordingWindowServices::invalidate(const Rect& area, bool erase) { invalidations.push_back({area, erase}); }

void RecordingWindowServices::invalidateAll() { invalidations.push_back({{0, 0, -1, -1}, true}); }

void RecordingWindowServices::closeWindow() { closeRequested = true; }

void RecordingWindowServices::checkMenuItem(std::uint16_t id, bool checked) { menuChecks[id] = checked; }

bool RecordingWindowServices::loadButtonImage(std::uint16_t resourceId)
{
    if (missingImages.count(resourceId) != 0) return false;
    loadedImages.push_back(resourceId);
    return true;
}

void RecordingWindowServices::createTminEdit() { tminEditCreated = true; }

void RecordingWindowServices::setTminEditText(std::string_view text) { tminEditTyped = std::string(text); }

std::string RecordingWindowServices::tminEditText() { return tminEditTyped; }

void RecordingWindowServices::showTminEdit(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    tminEditShown = true;
    tminEditPlace = {x, y, x + width, y + height};
}

void RecordingWindowServices::hideTminEdit()
{
    tminEditShown = false;
    tminEditPlace = {};
}

void RecordingWindowServices::captureMouse(bool captured) { mouseCaptured = captured; }

CursorShape RecordingWindowServices::setCursor(CursorShape shape)
{
    const CursorShape previous = cursor;
    cursor = shape;
    return previous;
}

std::string RecordingWindowServices::encodePng(const std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    return pngEncoder ? pngEncoder(pixels, width, height) : std::string();
}

bool RecordingWindowServices::recordFullPaint(PaintRecord& record)
{
    return fullPaintRecorder && fullPaintRecorder(record);
}

void RecordingWindowServices::paintInvalidated(Canvas& canvas, const std::function<void()>& paint)
{
    Surface& surface = canvas.surface();
    const Rect whole{0, 0, surface.width(), surface.height()};
    ClipRegion invalid;
    for (const RecordedInvalidation& i : invalidations) {
        const Rect area = i.area == Rect{0, 0, -1, -1} ? whole : i.area;
        if (i.erase) surface.fill(area, colors::white);
        invalid.add(area);
    }
    invalidations.clear();
    canvas.setClip(invalid);
    paint();
    canvas.setClip(whole);
}

namespace {

// A click as the window system performs it: a radio button becomes the only checked one
// of its group, a check box toggles.
void click(const DialogDescription& description, DialogValues& values, std::int32_t id)
{
    for (const DialogControl& control : description.controls) {
        if (control.id != id) continue;
        if (control.kind == ControlKind::checkBox) {
            values.checks[id] = !values.checked(id);
        } else if (control.kind == ControlKind::radioButton) {
            for (const DialogControl& other : description.controls)
                if (other.kind == ControlKind::radioButton && other.group == control.group) values.checks[other.id] = false;
            values.checks[id] = true;
        }
    }
}

} // namespace

bool ScriptedDialogs::runDialog(const DialogDescription& description, DialogValues& values, const DialogClick& onClick,
                                const DialogCheck& onOk)
{
    titles.push_back(description.title);
    shown.push_back(values);
    if (answers.empty()) return false;
    const DialogAnswer answer = answers.front();
    answers.pop_front();
    for (const std::int32_t id : answer.clicks) {
        click(description, values, id);
        if (onClick) onClick(id, values);
    }
    for (const auto& [id, text] : answer.texts) values.texts[id] = text;
    if (!answer.ok) return false;
    const std::string refusal = onOk ? onOk(values) : std::string();
    if (refusal.empty()) return true;
    refusals.showMessage(refusal, description.title, MessageIcon::exclamation);
    return false;
}

std::string ScriptedDialogs::chooseSaveFile(const SaveFileRequest& request)
{
    saveRequests.push_back(request);
    if (saveFileNames.empty()) return {};
    std::string name = saveFileNames.front();
    saveFileNames.pop_front();
    return name;
}

} // namespace mirokel
