// Writing a picture file through the output file helper.
#include "export/file_bytes.h"

#include "platform/output_file.h"

namespace mirokel {

bool writeFileBytes(Window& window, const std::string& fileName, std::string_view bytes, const char* caption,
                    const char* writeFault)
{
    OutputTarget target;
    if (!checkOutputPath(fileName, target).empty()) {
        showMessage(window, "CreateFile ERROR!", caption);
        return false;
    }
    if (!writeOutputFile(target, bytes).empty()) {
        showMessage(window, writeFault, caption);
        return false;
    }
    return true;
}

} // namespace mirokel
