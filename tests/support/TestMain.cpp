#include <gtest/gtest.h>

#include <cstdlib>

#include "support/Sandbox.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Suites named "...Child" are the halves that a test runs in a process of its own (to kill
    // it, or inside private namespaces): they run there alone and nowhere else.
    const std::string filter = GTEST_FLAG_GET(filter);
    const char* child = std::getenv(tarvix::test::kChildTest);
    GTEST_FLAG_SET(filter, child ? child : filter + (filter.find('-') == filter.npos ? "-*Child.*" : ":*Child.*"));
    return RUN_ALL_TESTS();
}
