// Deciding how a folder command reaches the window a menu was opened in.
#include "core/window_class.h"

namespace wayleap {

NavigationPlan PlanNavigation(const std::vector<ChainWindow>& chain) {
    NavigationPlan plan;
    if (chain.empty()) return plan;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        plan.kind = ClassifyWindowClass(chain[i].className);
        if (plan.kind != WindowKind::None) {
            plan.target = i;
            break;
        }
    }

    // The last window of the clicked window's own top-level window, reached
    // through parents only from `from`: owners belong to other windows.
    const auto topLevelFrom = [&](std::size_t from) {
        std::size_t i = from;
        while (chain[i].isChild && i + 1 < chain.size()) ++i;
        return i;
    };

    std::size_t reach = plan.target;
    if (plan.kind == WindowKind::StandardDialog) {
        const std::size_t top = topLevelFrom(plan.target);
        for (std::size_t i = plan.target; i <= top; ++i) {
            if (chain[i].className == "#32770") plan.dialog = i;
        }
        reach = plan.dialog;
    } else if (plan.target == kNoWindow) {
        reach = topLevelFrom(0);
    }
    for (std::size_t i = 0; i <= reach; ++i) {
        if (chain[i].hostsShellView || ClassifyWindowClass(chain[i].className) == WindowKind::Explorer) {
            plan.browsers.push_back(i);
        }
    }
    return plan;
}

}  // namespace wayleap
