#pragma once

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/test_support.h"

// Whole folders compared file by file, for the tests that prove a job touches only what it
// should.
namespace vx::test {

// Every file under a folder by its path relative to it, with its bytes.
using FileTree = std::map<std::string, std::string>;

// The files under `folder`, leaving out the subtree `skip` when given.
inline FileTree TakeTree(const std::string& folder, const std::string& skip = {}) {
    namespace fs = std::filesystem;
    FileTree files;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        if (!skip.empty() && it->path() == fs::path(skip)) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file()) {
            files[fs::relative(it->path(), folder).string()] = ReadFile(it->path().string());
        }
    }
    return files;
}

// What happened between two takes: "gone: NAME", "changed: NAME", "added: NAME", in name order
// within each kind.
inline std::vector<std::string> TreeChanges(const FileTree& before, const FileTree& after) {
    std::vector<std::string> changes;
    for (const auto& [name, bytes] : before) {
        auto it = after.find(name);
        if (it == after.end()) {
            changes.push_back("gone: " + name);
        } else if (it->second != bytes) {
            changes.push_back("changed: " + name);
        }
    }
    for (const auto& [name, bytes] : after) {
        if (!before.count(name)) changes.push_back("added: " + name);
    }
    return changes;
}

// The bundled sample set, found from this file's place in the source tree when the
// environment does not name the tree.
inline std::string SamplesFolder() {
    if (const char* root = std::getenv("VX_SOURCE_DIR"); root != nullptr && *root != '\0') {
        return std::string(root) + "/samples";
    }
    return (std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "samples")
        .string();
}

}  // namespace vx::test
