#include <gtest/gtest.h>

#include <cstdlib>

#include "support/PrivateNamespace.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Suites named "...Child" are the halves that a test runs in a process of its own (to kill
    // it, or inside private namespaces): they run there alone and nowhere else.
    std::string filter = GTEST_FLAG_GET(filter);
    filter += filter.find('-') == std::string::npos ? "-*Child.*" : ":*Child.*";
    const char* child = std::getenv(tarvix::test::kChildTest);
    GTEST_FLAG_SET(filter, child ? std::string(child) : filter);
    return RUN_ALL_TESTS();
}
