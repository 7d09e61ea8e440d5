#pragma once

#include "platform/MachineIdentity.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace config {

// Every sealed block is shorter than this; ProtectData refuses to make a longer one.
inline constexpr std::size_t kProtectedDataLimit = 65536;

// Every unsealed block is shorter than this; UnprotectData refuses to give a longer one.
inline constexpr std::size_t kUnprotectedDataLimit = 32768;

// The description that every sealed block carries.
inline constexpr std::string_view kProtectedDataDescription = "VORNCLIENT PROTECTED DATA";

// Why sealing or unsealing failed, for a caller that tells the user more than the message.
enum class SealFailure {
    None,
    NoIdentity,   // the machine has no identity to derive the key from
    NotSealed,    // the bytes are not a sealed block at all (damaged, cut short)
    CannotUnseal, // a sealed block, but made on another machine or changed since
    TooLarge,     // a block or its data past the limits
    CipherFailed, // the cipher library failed
};

// Seals data to machine, so that only the same machine can unseal it and any change to
// the block is noticed. A block is:
//   "VORNSEAL", version 1, description length (2 bytes, big-endian), description,
//   salt (16), nonce (12), data encrypted with AES-256-GCM, tag (16)
// under a key derived with HKDF-SHA256 from the machine identity and the block's salt;
// everything before the salt is authenticated along with the data.
// Answers true with the block in sealed. On false sealed is untouched and error, when it
// is given, holds "Protect Data fails" (no identity, or the cipher failed) or "protected
// data is too large" (the block would reach kProtectedDataLimit bytes).
// failure, when it is given, tells why in more detail.
// Keeps no state; safe to call from any thread.
bool ProtectData(const platform::CMachineIdentity& machine, std::string_view data,
                 std::string& sealed, std::string* error = nullptr, SealFailure* failure = nullptr);

// Unseals a block made by ProtectData on machine. Answers true with the data in data. On
// false data is untouched and error holds "Protect Data fails" (not such a block, made on
// another machine, or changed since) or "unprotected data is too large" (the data reaches
// kUnprotectedDataLimit bytes); failure, when it is given, tells why in more detail.
// Keeps no state; safe to call from any thread.
bool UnprotectData(const platform::CMachineIdentity& machine, std::string_view sealed,
                   std::string& data, std::string& error, SealFailure* failure = nullptr);

} // namespace config
