// Standard error of mirokel-cli, written under one lock.
#include "cli/stderr_output.h"

#include "cli/commands.h"

#include <cstdio>
#include <mutex>

namespace mirokel::cli {

namespace {

std::mutex stderrLock;
bool progressLineOpen = false; // guarded by stderrLock

// Starts a fresh line when the progress line is open. Call with the lock held.
void breakProgressLine()
{
    if (!progressLineOpen) return;
    std::fputc('\n', stderr);
    progressLineOpen = false;
}

} // namespace

void PrintingMessageBox::showMessage(std::string_view text, std::string_view caption, MessageIcon)
{
    printMessage(text, caption);
}

void printMessage(std::string_view text, std::string_view caption)
{
    const std::lock_guard<std::mutex> guard(stderrLock);
    breakProgressLine();
    std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
}

void printError(const std::string& message)
{
    const std::lock_guard<std::mutex> guard(stderrLock);
    breakProgressLine();
    std::fprintf(stderr, "mirokel-cli: %s\n", message.c_str());
}

int refuse(const std::string& message)
{
    printError(message);
    return exitRefused;
}

void printNote(const char* text)
{
    const std::lock_guard<std::mutex> guard(stderrLock);
    breakProgressLine();
    std::fprintf(stderr, "mirokel-cli: note: %s\n", text);
}

void showProgressLine(const std::string& text)
{
    const std::lock_guard<std::mutex> guard(stderrLock);
    std::fprintf(stderr, "\r%s", text.c_str());
    std::fflush(stderr);
    progressLineOpen = true;
}

void endProgressLine()
{
    const std::lock_guard<std::mutex> guard(stderrLock);
    breakProgressLine();
}

} // namespace mirokel::cli
