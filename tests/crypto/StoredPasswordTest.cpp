#include "crypto/StoredPassword.h"
#include "crypto/Base64.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace kelvo;

namespace {

const char* const kPassPhrase = "Qv7#Lk2!Wp9$Zr4%Tn6^Hx1&Bc8*Md3(Fs5)Jg0-Ny7+Ke2 Ua9[Oi4]Pt6{Ew1}"
                                "Rb8;Yc3:Il5'Gm0,Xo7.Vd2/Sh9?Af4<Zq6";

std::string Shell(const std::string& script, const std::string& input = "") {
    const test::ProcessResult result = test::RunProcess({"/bin/sh", "-c", script}, {}, input);
    EXPECT_EQ(result.exitCode, 0) << script << "\n" << result.err;
    std::string out = result.out;
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

// The encoding computed by the openssl command alone: key from its SHA-512,
// initial vector by its AES of a zero block, then its CFB-8 and its Base64.
std::string OpensslEncoding(const std::string& text) {
    const std::string key = Shell("openssl dgst -sha512 -r | cut -c1-64", kPassPhrase);
    const std::string iv = Shell("head -c 16 /dev/zero | openssl enc -aes-256-ecb -nopad -K " +
                                 key + " | od -An -tx1 | tr -d ' \\n'");
    return Shell("openssl enc -aes-256-cfb8 -nosalt -K " + key + " -iv " + iv +
                     " | openssl base64 -A",
                 text);
}

} // namespace

TEST(StoredPasswordTest, MatchesTheOpensslCommand) {
    const std::string texts[] = {"a",
                                 "secret",
                                 "correct horse battery staple",
                                 "P\xC3\xA4sswort mit Umlaut",
                                 std::string(100, 'x'),
                                 std::string("nul\0inside", 10)};
    for (const std::string& text : texts) {
        const std::string expected = OpensslEncoding(text);
        EXPECT_EQ(EncryptString(text), expected) << text;
        EXPECT_EQ(DecryptString(expected), text) << text;
    }
}

TEST(StoredPasswordTest, EmptyStaysEmptyAndEveryCallStartsAfresh) {
    EXPECT_EQ(EncryptString(""), "");
    EXPECT_EQ(DecryptString(""), "");
    EXPECT_EQ(EncryptString("same"), EncryptString("same"));
    EXPECT_EQ(EncryptString("abc").size(), 4u); // three bytes in, three out, one Base64 group
}

TEST(StoredPasswordTest, DamagedTextDecodesWithoutFailing) {
    const std::string encoded = EncryptString("password");
    EXPECT_EQ(DecryptString(encoded.substr(0, 4) + "\r\n" + encoded.substr(4)), "password");
    EXPECT_EQ(DecryptString("!!!"), "");
    EXPECT_EQ(DecryptString(encoded.substr(0, 5)).size(), 3u); // a dangling character is dropped
}

TEST(Base64Test, RoundTripsEveryLengthAndMatchesTheStandard) {
    const std::pair<const char*, const char*> cases[] = {{"", ""},
                                                         {"f", "Zg=="},
                                                         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},
                                                         {"foob", "Zm9vYg=="},
                                                         {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}};
    for (const auto& [plain, encoded] : cases) {
        EXPECT_EQ(Base64Encode(plain), encoded);
        EXPECT_EQ(Base64Decode(encoded), plain);
    }
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(Base64Decode(Base64Encode(all)), all);
    EXPECT_EQ(Base64Encode(all), Shell("openssl base64 -A", all));
}
