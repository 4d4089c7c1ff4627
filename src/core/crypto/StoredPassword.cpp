#include "crypto/StoredPassword.h"

#include "crypto/Base64.h"
#include "crypto/Cfb8Cipher.h"

namespace kelvo {

namespace {

// The fixed pass phrase of the encoding; files written by every version use it.
constexpr std::string_view kPassPhrase =
    "Qv7#Lk2!Wp9$Zr4%Tn6^Hx1&Bc8*Md3(Fs5)Jg0-Ny7+Ke2 Ua9[Oi4]Pt6{Ew1}Rb8;Yc3:Il5'Gm0,Xo7.Vd2/"
    "Sh9?Af4<Zq6";

struct FixedKey {
    Cfb8Cipher::Key key = Cfb8Cipher::KeyFromSha512(kPassPhrase);
    Cfb8Cipher::Block iv = Cfb8Cipher::EncryptBlock(key, {});
};

const FixedKey& Fixed() {
    static const FixedKey fixed;
    return fixed;
}

} // namespace

std::string EncryptString(std::string_view text) {
    if (text.empty())
        return {};
    Cfb8Cipher cipher(Fixed().key, Fixed().iv, Cfb8Cipher::Direction::Encrypt);
    return Base64Encode(cipher.Transform(text));
}

std::string DecryptString(std::string_view encoded) {
    const std::string bytes = Base64Decode(encoded);
    if (bytes.empty())
        return {};
    Cfb8Cipher cipher(Fixed().key, Fixed().iv, Cfb8Cipher::Direction::Decrypt);
    return cipher.Transform(bytes);
}

} // namespace kelvo
