#include "Certificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace gatewayd {
namespace {

constexpr long kValiditySeconds = 10L * 365 * 24 * 60 * 60;

using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CertPtr = std::unique_ptr<X509, decltype(&X509_free)>;

KeyPtr NewKey() {
    return KeyPtr(EVP_EC_gen("P-256"), &EVP_PKEY_free);
}

bool AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) {
        return false;
    }
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

bool SetRandomSerial(X509* certificate) {
    unsigned char bytes[16];
    if (RAND_bytes(bytes, sizeof bytes) != 1) {
        return false;
    }
    bytes[0] &= 0x7F; // a positive serial number
    BIGNUM* serial = BN_bin2bn(bytes, sizeof bytes, nullptr);
    const bool set =
        serial != nullptr && BN_to_ASN1_INTEGER(serial, X509_get_serialNumber(certificate));
    BN_free(serial);
    return set;
}

// Makes a certificate for subjectName and key, signed by issuerKey. A null issuer makes it
// self-signed.
CertPtr MakeCertificate(const std::string& subjectName, EVP_PKEY* key, X509* issuer,
                        EVP_PKEY* issuerKey, bool isAuthority) {
    CertPtr certificate(X509_new(), &X509_free);
    X509* cert = certificate.get();
    if (cert == nullptr || X509_set_version(cert, X509_VERSION_3) != 1 || !SetRandomSerial(cert) ||
        X509_gmtime_adj(X509_getm_notBefore(cert), -60) == nullptr ||
        X509_gmtime_adj(X509_getm_notAfter(cert), kValiditySeconds) == nullptr ||
        X509_set_pubkey(cert, key) != 1) {
        return CertPtr(nullptr, &X509_free);
    }
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(subjectName.c_str()), -1, -1,
                               0);
    X509* signer = issuer == nullptr ? cert : issuer;
    if (X509_set_issuer_name(cert, X509_get_subject_name(signer)) != 1) {
        return CertPtr(nullptr, &X509_free);
    }
    const bool extended =
        isAuthority
            ? AddExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE") &&
                  AddExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign")
            : AddExtension(cert, signer, NID_basic_constraints, "CA:FALSE") &&
                  AddExtension(cert, signer, NID_ext_key_usage, "serverAuth") &&
                  AddExtension(cert, signer, NID_subject_alt_name, ("DNS:" + subjectName).c_str());
    if (!extended || X509_sign(cert, issuerKey, EVP_sha256()) <= 0) {
        return CertPtr(nullptr, &X509_free);
    }
    return certificate;
}

template <typename Writer>
std::string ToPem(Writer write) {
    std::unique_ptr<BIO, decltype(&BIO_free)> memory(BIO_new(BIO_s_mem()), &BIO_free);
    if (memory == nullptr || !write(memory.get())) {
        return {};
    }
    char* data = nullptr;
    const long length = BIO_get_mem_data(memory.get(), &data);
    return std::string(data, static_cast<std::size_t>(length));
}

} // namespace

Credentials IssueCredentials(const std::string& serverName) {
    KeyPtr caKey = NewKey();
    KeyPtr serverKey = NewKey();
    if (caKey == nullptr || serverKey == nullptr) {
        return {};
    }
    CertPtr ca =
        MakeCertificate("VORN gatewayd test authority", caKey.get(), nullptr, caKey.get(), true);
    if (ca == nullptr) {
        return {};
    }
    CertPtr server = MakeCertificate(serverName, serverKey.get(), ca.get(), caKey.get(), false);
    if (server == nullptr) {
        return {};
    }
    return Credentials{
        ToPem([&](BIO* out) { return PEM_write_bio_X509(out, ca.get()) == 1; }),
        ToPem([&](BIO* out) { return PEM_write_bio_X509(out, server.get()) == 1; }),
        ToPem([&](BIO* out) {
            return PEM_write_bio_PrivateKey(out, serverKey.get(), nullptr, nullptr, 0, nullptr,
                                            nullptr) == 1;
        }),
    };
}

} // namespace gatewayd
