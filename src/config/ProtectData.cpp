#include "config/ProtectData.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <array>
#include <cstdint>
#include <memory>

namespace config {
namespace {

constexpr std::string_view kMagic = "VORNSEAL";
constexpr unsigned char kVersion = 1;
constexpr std::size_t kSaltSize = 16;
constexpr std::size_t kNonceSize = 12;
constexpr std::size_t kTagSize = 16;
constexpr std::size_t kKeySize = 32;
constexpr std::string_view kKeyInfo = "VORNClient machine-bound data key";

constexpr const char* kSealFailed = "Protect Data fails";
constexpr const char* kSealedTooLarge = "protected data is too large";
constexpr const char* kUnsealedTooLarge = "unprotected data is too large";

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
struct KdfContextFree {
    void operator()(EVP_KDF_CTX* context) const { EVP_KDF_CTX_free(context); }
};
struct KdfFree {
    void operator()(EVP_KDF* kdf) const { EVP_KDF_free(kdf); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

// The key stays in this object only, and is wiped when it goes.
class CKey {
public:
    ~CKey() { OPENSSL_cleanse(m_bytes.data(), m_bytes.size()); }
    unsigned char* Data() { return m_bytes.data(); }

private:
    std::array<unsigned char, kKeySize> m_bytes{};
};

const unsigned char* Bytes(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

bool DeriveKey(const platform::CMachineIdentity& machine, std::string_view salt, CKey& key) {
    std::string identity;
    std::string ignored;
    if (!machine.Read(identity, ignored)) {
        return false;
    }
    const std::unique_ptr<EVP_KDF, KdfFree> kdf(EVP_KDF_fetch(nullptr, "HKDF", nullptr));
    if (!kdf) {
        return false;
    }
    const std::unique_ptr<EVP_KDF_CTX, KdfContextFree> context(EVP_KDF_CTX_new(kdf.get()));
    if (!context) {
        return false;
    }
    char digest[] = "SHA256";
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, identity.data(), identity.size()),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, const_cast<char*>(salt.data()),
                                          salt.size()),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, const_cast<char*>(kKeyInfo.data()),
                                          kKeyInfo.size()),
        OSSL_PARAM_construct_end()};
    const bool derived = EVP_KDF_derive(context.get(), key.Data(), kKeySize, params) == 1;
    OPENSSL_cleanse(identity.data(), identity.size());
    return derived;
}

// The authenticated header: magic, version, description.
std::string BuildHeader() {
    std::string header(kMagic);
    header.push_back(static_cast<char>(kVersion));
    header.push_back(static_cast<char>(kProtectedDataDescription.size() >> 8));
    header.push_back(static_cast<char>(kProtectedDataDescription.size() & 0xFF));
    header.append(kProtectedDataDescription);
    return header;
}

// The length of the header at the start of block, or 0 when block does not start with one.
std::size_t HeaderLength(std::string_view block) {
    const std::size_t fixed = kMagic.size() + 3;
    if (block.size() < fixed || block.substr(0, kMagic.size()) != kMagic ||
        static_cast<unsigned char>(block[kMagic.size()]) != kVersion) {
        return 0;
    }
    const std::size_t description =
        (static_cast<std::size_t>(static_cast<unsigned char>(block[kMagic.size() + 1])) << 8) |
        static_cast<unsigned char>(block[kMagic.size() + 2]);
    return block.size() - fixed < description ? 0 : fixed + description;
}

bool Encrypt(CKey& key, std::string_view nonce, std::string_view header, std::string_view data,
             std::string& out) {
    const CipherContext context(EVP_CIPHER_CTX_new());
    int length = 0;
    if (!context ||
        EVP_EncryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) != 1 ||
        EVP_EncryptInit_ex(context.get(), nullptr, nullptr, key.Data(), Bytes(nonce)) != 1 ||
        EVP_EncryptUpdate(context.get(), nullptr, &length, Bytes(header),
                          static_cast<int>(header.size())) != 1) {
        return false;
    }
    const std::size_t start = out.size();
    out.resize(start + data.size() + kTagSize);
    auto* cipher = reinterpret_cast<unsigned char*>(out.data() + start);
    if (!data.empty() && EVP_EncryptUpdate(context.get(), cipher, &length, Bytes(data),
                                           static_cast<int>(data.size())) != 1) {
        return false;
    }
    int finalLength = 0;
    return EVP_EncryptFinal_ex(context.get(), cipher + data.size(), &finalLength) == 1 &&
           EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, kTagSize,
                               cipher + data.size()) == 1;
}

bool Decrypt(CKey& key, std::string_view nonce, std::string_view header, std::string_view cipher,
             std::string_view tag, std::string& out) {
    const CipherContext context(EVP_CIPHER_CTX_new());
    int length = 0;
    if (!context ||
        EVP_DecryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) != 1 ||
        EVP_DecryptInit_ex(context.get(), nullptr, nullptr, key.Data(), Bytes(nonce)) != 1 ||
        EVP_DecryptUpdate(context.get(), nullptr, &length, Bytes(header),
                          static_cast<int>(header.size())) != 1) {
        return false;
    }
    out.resize(cipher.size());
    auto* plain = reinterpret_cast<unsigned char*>(out.data());
    if (!cipher.empty() && EVP_DecryptUpdate(context.get(), plain, &length, Bytes(cipher),
                                             static_cast<int>(cipher.size())) != 1) {
        return false;
    }
    // The tag is only read by the cipher; OpenSSL's signature is not const.
    if (EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, kTagSize,
                            const_cast<char*>(tag.data())) != 1) {
        return false;
    }
    int finalLength = 0;
    return EVP_DecryptFinal_ex(context.get(), plain + cipher.size(), &finalLength) == 1;
}

void Report(std::string* error, const char* message, SealFailure* failure, SealFailure why) {
    if (error != nullptr) {
        *error = message;
    }
    if (failure != nullptr) {
        *failure = why;
    }
}

bool HasIdentity(const platform::CMachineIdentity& machine) {
    std::string identity;
    std::string ignored;
    const bool has = machine.Read(identity, ignored);
    OPENSSL_cleanse(identity.data(), identity.size());
    return has;
}

} // namespace

bool ProtectData(const platform::CMachineIdentity& machine, std::string_view data,
                 std::string& sealed, std::string* error, SealFailure* failure) {
    // Bounded before the cipher, whose lengths are int; such a block is refused anyway.
    if (data.size() >= kProtectedDataLimit) {
        Report(error, kSealedTooLarge, failure, SealFailure::TooLarge);
        return false;
    }
    if (!HasIdentity(machine)) {
        Report(error, kSealFailed, failure, SealFailure::NoIdentity);
        return false;
    }
    std::string block = BuildHeader();
    const std::string header = block;
    block.resize(header.size() + kSaltSize + kNonceSize);
    auto* random = reinterpret_cast<unsigned char*>(block.data() + header.size());
    CKey key;
    if (RAND_bytes(random, static_cast<int>(kSaltSize + kNonceSize)) != 1 ||
        !DeriveKey(machine, std::string_view(block).substr(header.size(), kSaltSize), key) ||
        !Encrypt(key, std::string_view(block).substr(header.size() + kSaltSize, kNonceSize), header,
                 data, block)) {
        Report(error, kSealFailed, failure, SealFailure::CipherFailed);
        return false;
    }
    if (block.size() >= kProtectedDataLimit) {
        Report(error, kSealedTooLarge, failure, SealFailure::TooLarge);
        return false;
    }
    sealed = std::move(block);
    return true;
}

bool UnprotectData(const platform::CMachineIdentity& machine, std::string_view sealed,
                   std::string& data, std::string& error, SealFailure* failure) {
    const std::size_t headerLength = HeaderLength(sealed);
    // ProtectData makes no block that long, and the cipher's lengths are int.
    if (sealed.size() >= kProtectedDataLimit || headerLength == 0 ||
        sealed.size() < headerLength + kSaltSize + kNonceSize + kTagSize) {
        Report(&error, kSealFailed, failure, SealFailure::NotSealed);
        return false;
    }
    if (!HasIdentity(machine)) {
        Report(&error, kSealFailed, failure, SealFailure::NoIdentity);
        return false;
    }
    const std::string_view header = sealed.substr(0, headerLength);
    const std::string_view salt = sealed.substr(headerLength, kSaltSize);
    const std::string_view nonce = sealed.substr(headerLength + kSaltSize, kNonceSize);
    const std::size_t cipherStart = headerLength + kSaltSize + kNonceSize;
    const std::string_view cipher =
        sealed.substr(cipherStart, sealed.size() - cipherStart - kTagSize);
    const std::string_view tag = sealed.substr(sealed.size() - kTagSize);
    CKey key;
    std::string plain;
    if (!DeriveKey(machine, salt, key) || !Decrypt(key, nonce, header, cipher, tag, plain)) {
        OPENSSL_cleanse(plain.data(), plain.size());
        Report(&error, kSealFailed, failure, SealFailure::CannotUnseal);
        return false;
    }
    if (plain.size() >= kUnprotectedDataLimit) {
        OPENSSL_cleanse(plain.data(), plain.size());
        Report(&error, kUnsealedTooLarge, failure, SealFailure::TooLarge);
        return false;
    }
    data = std::move(plain);
    return true;
}

} // namespace config
