#include "crypto/Container.h"
#include "crypto/StoredPassword.h"
#include "log/MessageTable.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <random>

using namespace kelvo;

namespace {

class ContainerTest : public ::testing::Test {
protected:
    std::string folder = test::MakeTempFolder("kbc");
    std::string zip = folder + "/A.zip";
    std::string container = folder + "/A.kbc";

    static std::string Bytes(size_t size, unsigned seed = 1) {
        std::mt19937 random(seed);
        std::string data(size, '\0');
        for (char& c : data)
            c = static_cast<char>(random());
        return data;
    }
    std::string Shell(const std::string& script, const std::string& input = "") {
        const test::ProcessResult r = test::RunProcess({"/bin/sh", "-c", script}, {}, input);
        EXPECT_EQ(r.exitCode, 0) << script << r.err;
        return r.out;
    }
    // A version "1.0" container built with the openssl command: CBC over the
    // full blocks, the tail xor-ed with AES of the last cipher block.
    std::string Version1(const std::string& body, const std::string& password) {
        std::string key = Shell("openssl dgst -sha512 -r | cut -c1-64", password);
        key.resize(64);
        auto hex = [&](const std::string& script) {
            std::string out = Shell(script + " | od -An -tx1 | tr -d ' \\n'");
            return out;
        };
        const std::string iv =
            hex("head -c 16 /dev/zero | openssl enc -aes-256-ecb -nopad -K " + key);
        const size_t full = body.size() - body.size() % 16;
        test::WriteFile(folder + "/full.bin", body.substr(0, full));
        const std::string cipher = Shell("openssl enc -aes-256-cbc -nopad -K " + key + " -iv " +
                                         iv + " -in '" + folder + "/full.bin'");
        std::string out = cipher;
        if (full < body.size()) {
            test::WriteFile(folder + "/last.bin", full ? cipher.substr(full - 16, 16) : "");
            std::string stream;
            if (full)
                stream = Shell("openssl enc -aes-256-ecb -nopad -K " + key + " -in '" + folder +
                               "/last.bin'");
            else
                stream = Shell("head -c 16 /dev/zero | openssl enc -aes-256-ecb -nopad -K " + key +
                               " | openssl enc -aes-256-ecb -nopad -K " + key);
            for (size_t i = full; i < body.size(); ++i)
                out += static_cast<char>(body[i] ^ stream[i - full]);
        }
        return EncryptString("1.0") + EncryptString(password) + out;
    }
};

} // namespace

TEST_F(ContainerTest, Version2RoundTripsEverySize) {
    for (size_t size :
         {size_t{0}, size_t{1}, size_t{65535}, size_t{65536}, size_t{65537}, size_t{200000}}) {
        const std::string data = Bytes(size, static_cast<unsigned>(size));
        test::WriteFile(zip, data);
        EncryptArchive(zip, container, "correct horse");
        EXPECT_FALSE(test::Exists(zip)) << "the container replaces the working archive";
        EXPECT_EQ(test::ReadFile(container).substr(0, 4), EncryptString("2.0"));
        EXPECT_EQ(test::ReadFile(container).find("correct horse"), std::string::npos);
        EXPECT_EQ(DecryptArchive(container, "Restored.zip", "correct horse"), "") << size;
        EXPECT_EQ(test::ReadFile(folder + "/Restored.zip"), data) << size;
    }
}

TEST_F(ContainerTest, Version2DetectsEveryKindOfTampering) {
    test::WriteFile(zip, Bytes(150000));
    EncryptArchive(zip, container, "pw");
    const std::string good = test::ReadFile(container);
    const std::string damaged = Msg("_ArchiveDamaged");
    struct Case {
        const char* what;
        std::string data;
        std::string password;
        std::string expected;
    };
    std::string flipped = good, header = good, swapped = good;
    flipped[100000] ^= 1;
    header[10] ^= 1; // the scrypt parameters and salt are part of the key
    const size_t record = 65536 + 16, first = 4 + 64;
    swapped.replace(first, record, good.substr(first + record, record));
    swapped.replace(first + record, record, good.substr(first, record));
    const Case cases[] = {
        {"wrong password", good, "PW", Msg("_InvalidPassword")},
        {"changed byte", flipped, "pw", damaged},
        {"changed header", header, "pw", ""},
        {"truncated inside a chunk", good.substr(0, good.size() - 100), "pw", damaged},
        {"a whole chunk missing", good.substr(0, first + 2 * record), "pw", damaged},
        {"extended", good + "more", "pw", damaged},
        {"chunks swapped", swapped, "pw", damaged},
        {"only the tag", good.substr(0, 4), "pw", damaged},
    };
    for (const Case& c : cases) {
        test::WriteFile(container, c.data);
        const std::string error = DecryptArchive(container, "Out.zip", c.password);
        if (c.expected.empty())
            EXPECT_FALSE(error.empty()) << c.what;
        else
            EXPECT_EQ(error, c.expected) << c.what;
        EXPECT_FALSE(test::Exists(folder + "/Out.zip")) << c.what;
    }
}

TEST_F(ContainerTest, Version1FilesOfOlderInstallationsStayReadable) {
    for (size_t size : {size_t{1000}, size_t{16}, size_t{7}, size_t{70000}}) {
        const std::string body = Bytes(size, 9);
        for (const std::string password : {"abc", "abcd", "a longer pass phrase"}) {
            const std::string file = Version1(body, password);
            // The header is the tag and the password check, the body the zip's size.
            const size_t check = 4 * ((password.size() + 2) / 3);
            EXPECT_EQ(file.size(), 4 + check + size);
            test::WriteFile(container, file);
            EXPECT_EQ(DecryptArchive(container, "Old.zip", password), "") << size << password;
            EXPECT_EQ(test::ReadFile(folder + "/Old.zip"), body) << size << password;
            EXPECT_EQ(DecryptArchive(container, "Old.zip", "nope"), Msg("_InvalidPassword"));
        }
    }
    EXPECT_EQ(4 * ((std::string("abc").size() + 2) / 3), 4u);
    EXPECT_EQ(4 * ((std::string("abcd").size() + 2) / 3), 8u);
}

TEST_F(ContainerTest, AnEmptyVersion1PasswordPassesItsCheck) {
    const std::string body = Bytes(1000, 2);
    test::WriteFile(container, EncryptString("1.0") + body); // no password check at all
    EXPECT_EQ(DecryptArchive(container, "Empty.zip", ""), "");
    EXPECT_EQ(test::ReadFile(folder + "/Empty.zip").size(), 1000u);
}

TEST_F(ContainerTest, OtherFilesAreNoContainers) {
    test::WriteFile(container, "PK\x03\x04 a zip, not a container");
    EXPECT_EQ(DecryptArchive(container, "X.zip", "pw"), "Wrong archive version!");
    EXPECT_EQ(DecryptArchive(folder + "/missing.kbc", "X.zip", "pw"), "Wrong archive version!");
    EXPECT_FALSE(test::Exists(folder + "/X.zip"));
}
