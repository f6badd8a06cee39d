#pragma once
// The members of a number set as a vector, so that a test compares them in one assertion.
#include <vector>

#include "support/set_long.h"

namespace hk::test {

inline std::vector<long> Items(const db::CSetLong& set) {
    std::vector<long> out;
    for (int i = 0; i < set.Count(); ++i)
        out.push_back(set.Item(i));
    return out;
}

} // namespace hk::test
