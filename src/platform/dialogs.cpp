// Reading the values of a dialog.
#include "platform/dialogs.h"

namespace mirokel {

std::string DialogValues::text(std::int32_t id) const
{
    const auto found = texts.find(id);
    return found == texts.end() ? std::string() : found->second;
}

bool DialogValues::checked(std::int32_t id) const
{
    const auto found = checks.find(id);
    return found != checks.end() && found->second;
}

} // namespace mirokel
