#include "Options.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <charconv>
#include <string_view>

namespace tarvix::logserver {

const char* const kUsage = R"(Usage: tarvix-logserver --pki DIR --port PORT [options]

A small HTTPS log server for tests and the demo. It serves POST /cr-apip-7.0.0/mac/log on a
loopback address, checks that each body is one multipart file part as the upload frames it,
stores each request and answers it.

  --pki DIR            CA and server certificate folder: DIR/ca.pem (the CA clients trust),
                       DIR/server.pem, DIR/server-key.pem. Made when missing (for 127.0.0.1,
                       ::1 and localhost).
  --make-pki           only make the certificates in --pki DIR, then exit
  --port PORT          TCP port to listen on
  --host ADDRESS       numeric loopback address to listen on (default 127.0.0.1; only
                       127.0.0.0/8 and ::1 are allowed, no names)
  --store DIR          keep each request in DIR/NNNN/: request.txt (request line and
                       headers, the headers in name order), body.bin (the exact body bytes), result.txt (the check and
                       the answer, key=value lines), files/NAME (the uploaded file); all of it
                       owner-only (folders 0700, files 0600)
  --store-limit BYTES  store no request that would take the store past BYTES (default 2 GiB,
                       2147483648): it is answered 507 and nothing of it is kept
  --ready-file FILE    write FILE once the port is bound
  --status CODE        HTTP status to answer (default 200)
  --body TEXT          response body (default {"result":"received"})
  --empty-body         answer with Content-Length: 0
  --no-body            answer without any body: no length, no bytes, connection closed
  --stall-after BYTES  stop reading after BYTES body bytes (the whole body if smaller) and
                       never answer; the connection is held until the client leaves, the
                       server stops or --stall-seconds pass
  --stall-seconds N    longest stall (default 300)
  --drop-after BYTES   close the connection after BYTES body bytes (the whole body if
                       smaller) without answering
  --help               this text

A request body of more than 101 MiB is refused with 413. The server runs until SIGINT or SIGTERM.
)";

namespace {

bool parseNumber(std::string_view text, std::uint64_t& value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

/// Names are refused: what a name resolves to is up to the resolver, not to this check.
bool isLoopback(const std::string& host)
{
    in_addr v4{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return ::inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

}  // namespace

tarvix::Result<Options> parseOptions(int argc, char** argv)
{
    Options options;
    std::string error;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string_view& out) {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto number = [&](std::uint64_t& out, std::uint64_t max) {
            std::string_view text;
            if (!value(text)) return false;
            if (!parseNumber(text, out) || out > max) {
                error = std::string(arg) + ": not a number in range: " + std::string(text);
                return false;
            }
            return true;
        };
        std::string_view text;
        std::uint64_t n = 0;
        if (arg == "--help" || arg == "-h") {
            options.helpAsked = true;
            return options;
        } else if (arg == "--pki") {
            if (!value(text)) return tarvix::Failure{error};
            options.pkiFolder = text;
        } else if (arg == "--make-pki") {
            options.makePkiOnly = true;
        } else if (arg == "--port") {
            if (!number(n, 65535)) return tarvix::Failure{error};
            options.port = static_cast<int>(n);
        } else if (arg == "--host") {
            if (!value(text)) return tarvix::Failure{error};
            options.host = text;
        } else if (arg == "--store") {
            if (!value(text)) return tarvix::Failure{error};
            options.storeFolder = std::filesystem::path(text);
        } else if (arg == "--store-limit") {
            if (!number(options.storeLimit, UINT64_MAX)) return tarvix::Failure{error};
        } else if (arg == "--ready-file") {
            if (!value(text)) return tarvix::Failure{error};
            options.readyFile = std::filesystem::path(text);
        } else if (arg == "--status") {
            if (!number(n, 999) || n < 100) {
                return tarvix::Failure{"--status needs a code from 100 to 999"};
            }
            options.status = static_cast<int>(n);
        } else if (arg == "--body") {
            if (!value(text)) return tarvix::Failure{error};
            options.body = text;
        } else if (arg == "--empty-body") {
            options.answer = Answer::EmptyBody;
        } else if (arg == "--no-body") {
            options.answer = Answer::NoBody;
        } else if (arg == "--stall-after" || arg == "--drop-after") {
            if (!number(n, UINT64_MAX)) return tarvix::Failure{error};
            options.answer = arg == "--stall-after" ? Answer::Stall : Answer::Drop;
            options.afterBytes = n;
        } else if (arg == "--stall-seconds") {
            if (!number(n, 86400)) return tarvix::Failure{error};
            options.stallSeconds = static_cast<int>(n);
        } else {
            return tarvix::Failure{"unknown argument: " + std::string(arg)};
        }
    }
    if (options.pkiFolder.empty()) {
        return tarvix::Failure{"--pki DIR is required"};
    }
    if (!options.makePkiOnly && options.port == 0) {
        return tarvix::Failure{"--port PORT is required"};
    }
    if (!isLoopback(options.host)) {
        return tarvix::Failure{"refusing to listen on a non-loopback address: " + options.host};
    }
    return options;
}

}  // namespace tarvix::logserver
