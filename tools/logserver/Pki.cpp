#include "Pki.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/file.h>
#include <unistd.h>

#include <memory>
#include <string_view>
#include <system_error>

#include "platform/Files.h"

namespace tarvix::logserver {
namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using ExtPtr = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION, X509_EXTENSION_free>>;

/// Holds an exclusive flock for its lifetime, so two servers starting together make one PKI.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& file)
        : m_fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644))
    {
        if (m_fd >= 0) ::flock(m_fd, LOCK_EX);
    }
    ~FolderLock()
    {
        if (m_fd >= 0) ::close(m_fd);  // releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool locked() const { return m_fd >= 0; }

private:
    int m_fd;
};

KeyPtr makeKey() { return KeyPtr(EVP_EC_gen("P-256")); }

bool addExtension(X509* cert, X509* issuer, int nid, const char* value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    ExtPtr ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value));
    return ext && X509_add_ext(cert, ext.get(), -1) == 1;
}

CertPtr makeCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey, bool isCa)
{
    CertPtr cert(X509_new());
    if (!cert) return nullptr;
    X509_set_version(cert.get(), 2);
    std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>> serial(BN_new());
    if (!serial || BN_rand(serial.get(), 64, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) != 1) return nullptr;
    BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert.get()));
    // Back-dated a day so clocks that differ slightly still accept it.
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -24L * 3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 10L * 365 * 24 * 3600);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Tarvix test"), -1, -1,
                               0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509* signer = issuer ? issuer : cert.get();
    X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));

    bool ok = addExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
    ok = ok && addExtension(cert.get(), signer, NID_authority_key_identifier, "keyid:always");
    if (isCa) {
        ok = ok && addExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
        ok = ok && addExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        ok = ok && addExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
        ok = ok && addExtension(cert.get(), signer, NID_key_usage, "critical,digitalSignature");
        ok = ok && addExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
        ok = ok && addExtension(cert.get(), signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost,IP:::1");
    }
    if (!ok || X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) == 0) return nullptr;
    return cert;
}

/// Written whole or not at all; created with its final mode, so a key is never readable by
/// others, not even for a moment.
bool writePem(const std::filesystem::path& path, X509* cert, EVP_PKEY* key)
{
    std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>> memory(BIO_new(BIO_s_mem()));
    if (!memory) return false;
    const bool encoded = cert ? PEM_write_bio_X509(memory.get(), cert) == 1
                              : PEM_write_bio_PrivateKey(memory.get(), key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    char* data = nullptr;
    const long size = BIO_get_mem_data(memory.get(), &data);
    if (!encoded || size <= 0) return false;
    return static_cast<bool>(tarvix::platform::writeFileAtomically(
        path, std::string_view(data, static_cast<std::size_t>(size)), cert ? 0644 : 0600));
}

bool allPresent(const PkiFiles& files)
{
    std::error_code ec;
    return std::filesystem::exists(files.caCertificate, ec) && std::filesystem::exists(files.serverCertificate, ec) &&
           std::filesystem::exists(files.serverKey, ec);
}

}  // namespace

PkiFiles pkiFiles(const std::filesystem::path& folder)
{
    return {folder / "ca.pem", folder / "server.pem", folder / "server-key.pem"};
}

tarvix::Status ensurePki(const std::filesystem::path& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        return tarvix::Failure{"cannot create " + folder.string() + ": " + ec.message()};
    }
    FolderLock lock(folder / ".lock");
    if (!lock.locked()) {
        return tarvix::Failure{"cannot lock " + folder.string()};
    }
    const PkiFiles files = pkiFiles(folder);
    if (allPresent(files)) return {};

    KeyPtr caKey = makeKey();
    KeyPtr serverKey = makeKey();
    if (!caKey || !serverKey) {
        return tarvix::Failure{"key generation failed"};
    }
    CertPtr ca = makeCertificate(caKey.get(), "Tarvix test CA", nullptr, nullptr, true);
    CertPtr server = ca ? makeCertificate(serverKey.get(), "127.0.0.1", ca.get(), caKey.get(), false) : nullptr;
    if (!ca || !server) {
        return tarvix::Failure{"certificate generation failed"};
    }
    // The CA file last: its presence is what tells a client the folder is ready.
    if (!writePem(folder / "ca-key.pem", nullptr, caKey.get()) ||
        !writePem(files.serverKey, nullptr, serverKey.get()) ||
        !writePem(files.serverCertificate, server.get(), nullptr) ||
        !writePem(files.caCertificate, ca.get(), nullptr)) {
        return tarvix::Failure{"cannot write certificates into " + folder.string()};
    }
    return {};
}

}  // namespace tarvix::logserver
