#pragma once

#include <gtest/gtest.h>
#include <string>

#include "views/RdmPageView.h"

// The ways the device tree is replaced under whatever works on its nodes.
enum class TreeChange { NewDiscovery, Demo, Emptied };

inline void ChangeTree(RdmPageView& view, TreeChange change) {
    switch (change) {
    case TreeChange::NewDiscovery:
        view.PrepareDiscovery();
        break;
    case TreeChange::Demo:
        view.btnDemoDiscClick();
        break;
    case TreeChange::Emptied:
        view.FreeDeviceRecords();
        break;
    }
}

inline std::string TreeChangeName(const ::testing::TestParamInfo<TreeChange>& info) {
    const char* names[] = {"NewDiscovery", "Demo", "Emptied"};
    return names[int(info.param)];
}

#define INSTANTIATE_TREE_CHANGES(suite)                                                                      \
    INSTANTIATE_TEST_SUITE_P(                                                                                \
        Changes, suite, ::testing::Values(TreeChange::NewDiscovery, TreeChange::Demo, TreeChange::Emptied),  \
        TreeChangeName)
