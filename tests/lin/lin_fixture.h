#pragma once

#include "lin/lin_math.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace veld::lin::testing {

// A fresh mathematics with recorded messages and its own point store.
class LinTest : public ::testing::Test {
protected:
    RecordingMessages recorded;
    PointStore store;
    LinMath math{recorded, store};

    const std::vector<std::string>& messages() const { return recorded.messages; }
    bool shown(const std::string& text) const {
        for (const auto& m : recorded.messages)
            if (m == text)
                return true;
        return false;
    }
};

}  // namespace veld::lin::testing
