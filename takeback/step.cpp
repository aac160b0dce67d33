#include "takeback/step.h"

#include "paths/paths.h"

namespace setup::takeback {

std::vector<Step> tree_removal(const std::string& folder, const std::vector<TreeEntry>& tree) {
    std::vector<Step> steps;
    steps.reserve(tree.size() + 1);
    // A listing puts every folder before what it holds, so its reverse puts what is inside first.
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
        const Action action = it->folder ? Action::remove_folder : Action::delete_file;
        steps.push_back({action, paths::join(folder, it->relative), {}, {}, it->file});
    }
    steps.push_back({Action::remove_folder, folder, {}, {}});
    return steps;
}

}  // namespace setup::takeback
