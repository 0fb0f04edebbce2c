#include "SaveFaults.h"

#include <utility>

namespace kestrun::detail {
namespace {

SaveStepHook &hook()
{
    static SaveStepHook installed;
    return installed;
}

} // namespace

void setSaveStepHook(SaveStepHook installed)
{
    hook() = std::move(installed);
}

int reachSaveStep(SaveStep step)
{
    return hook() ? hook()(step) : 0;
}

} // namespace kestrun::detail
