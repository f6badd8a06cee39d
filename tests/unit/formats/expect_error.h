#pragma once
// Test helper: runs a call that must raise hk::Error and checks what it carries.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "support/error.h"

namespace hk::test {

inline void ExpectError(const std::function<void()>& call, long number, const std::string& source,
                        const std::string& description) {
    try {
        call();
        ADD_FAILURE() << "no error, expected: " << description;
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), number);
        EXPECT_EQ(e.Source(), source);
        EXPECT_EQ(e.Description(), description);
    }
}

} // namespace hk::test
