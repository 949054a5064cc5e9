#include <gtest/gtest.h>

#include "UploadHelpers.h"

using namespace upload_test;
using tarvix::test::LogServer;

using LogServerSafety = WithLogServer;

TEST_F(LogServerSafety, ListensOnlyOnNumericLoopbackAddresses)
{
    LogServer server;
    const std::vector<std::pair<std::string, bool>> hosts = {
        {"127.0.0.2", true}, {"::1", true}, {"localhost", false},        {"127.1", false},
        {"0.0.0.0", false},  {"::", false}, {"::ffff:127.0.0.1", false},
    };
    for (const auto& [host, listens] : hosts) EXPECT_EQ(server.restart({.host = host}), listens) << host;
}
