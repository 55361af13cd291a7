#include "app/SettingsFile.h"

#include "platform/Environment.h"
#include "platform/ErrorCodes.h"
#include "platform/TextCodec.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ryk {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using S = SettingsSection;

constexpr std::string_view kEmptyFile = "[SrcDir]\n[SrcFile]\n[SrcExclusionFile]\n[DstDir]\n"
                                        "[DstFile]\n[BinaryEditor]\n[TextEditor]\n[Windiff]\n"
                                        "[Options]\n";

SettingsFile fromText(std::string_view text) {
    SettingsFile settings;
    settings.loadFromText(text);
    return settings;
}

using test::ScopedEnv;

TEST(SettingsFileTest, RoundTripKeepsEveryValue) {
    test::TempDir dir;
    PosixFileSystem fileSystem;
    SettingsFile written(dir / "ryk.INI");
    written.setHistory(S::SrcDir, {"/home/ユーザー/写真", "/srv/data"});
    written.setHistory(S::SrcFile, {"*.c;*.h", "a=b=c"});
    written.setHistory(S::DstFile, {"*.*"});
    written.setEditorPath(S::BinaryEditor, "/usr/bin/ghex");
    written.setEditorPath(S::Windiff, "/opt/差分/meld --diff");
    written.setLines(S::TextEditor, {"path=/usr/bin/vim"});
    written.setSkipUnchanged(true);
    ASSERT_EQ(written.save(fileSystem), 0);

    SettingsFile read(dir / "ryk.INI");
    ASSERT_EQ(read.load(fileSystem), 0);
    for (size_t i = 0; i < SettingsFile::kSectionCount; ++i)
        EXPECT_EQ(read.lines(S(i)), written.lines(S(i))) << SettingsFile::sectionName(S(i));
    EXPECT_EQ(read.history(S::SrcDir), (Lines{"/home/ユーザー/写真", "/srv/data"}));
    EXPECT_EQ(read.history(S::SrcFile), (Lines{"*.c;*.h", "a=b=c"}));
    EXPECT_EQ(read.lines(S::SrcFile), (Lines{"1=*.c;*.h", "2=a=b=c"}));
    EXPECT_EQ(read.editorPath(S::Windiff), "/opt/差分/meld --diff");
    EXPECT_EQ(read.editorPathForTools(S::Windiff), "/opt/差分/meld --diff");
    // A key longer than one character: the two readings differ.
    EXPECT_EQ(read.editorPath(S::TextEditor), "/usr/bin/vim");
    EXPECT_EQ(read.editorPathForTools(S::TextEditor), "th=/usr/bin/vim");
    EXPECT_TRUE(read.skipUnchanged());
    EXPECT_EQ(dir.readFile("ryk.INI"), read.toText());
}

TEST(SettingsFileTest, EditorPathReadings) {
    struct Case {
        Lines lines;
        std::string forOptions;
        std::string forTools;
    };
    const Case cases[] = {
        {{}, "", ""},     {{"@=/usr/bin/ghex", "@=/second"}, "/usr/bin/ghex", "/usr/bin/ghex"},
        {{"@="}, "", ""}, {{"noequals"}, "", "equals"},
        {{"x"}, "", ""},  {{"=a=b"}, "a=b", "=b"},
    };
    for (const Case& c : cases) {
        SettingsFile settings;
        settings.setLines(S::TextEditor, c.lines);
        EXPECT_EQ(settings.editorPath(S::TextEditor), c.forOptions)
            << ::testing::PrintToString(c.lines);
        EXPECT_EQ(settings.editorPathForTools(S::TextEditor), c.forTools)
            << ::testing::PrintToString(c.lines);
    }

    SettingsFile settings;
    settings.setLines(S::BinaryEditor, {"1=a", "2=b"});
    settings.setEditorPath(S::BinaryEditor, "/bin/x");
    EXPECT_EQ(settings.lines(S::BinaryEditor), (Lines{"@=/bin/x"}));
    // A path the file cannot hold leaves the section empty rather than half-written.
    for (const std::string& bad :
         {std::string("/bin/a\nb"), std::string(1021, 'p'), std::string("/bin/\xff")}) {
        settings.setEditorPath(S::BinaryEditor, bad);
        EXPECT_TRUE(settings.lines(S::BinaryEditor).empty());
    }
    settings.setEditorPath(S::BinaryEditor, std::string(1020, 'p'));
    EXPECT_EQ(SettingsFile::sectionBytes(settings.lines(S::BinaryEditor)), 1024u);
}

TEST(SettingsFileTest, ReadsCp932FileWrittenOnWindows) {
    const std::string utf8 = "; 設定\r\n[SrcDir]\r\n1=C:\\データ\\表\r\n2=ソース\r\n"
                             "[TextEditor]\r\n@=C:\\エディタ\\秀丸.exe\r\n";
    std::string cp932;
    ASSERT_TRUE(encodeCp932(utf8, cp932));
    ASSERT_FALSE(isValidUtf8(cp932));
    test::TempDir dir;
    dir.writeFile("ryk.INI", cp932);
    PosixFileSystem fileSystem;
    SettingsFile settings(dir / "ryk.INI");
    ASSERT_EQ(settings.load(fileSystem), 0);
    EXPECT_EQ(settings.history(S::SrcDir), (Lines{"C:\\データ\\表", "ソース"}));
    EXPECT_EQ(settings.editorPath(S::TextEditor), "C:\\エディタ\\秀丸.exe");

    // Written back as UTF-8 with LF line ends, the comment before the first section kept.
    ASSERT_EQ(settings.save(fileSystem), 0);
    EXPECT_EQ(dir.readFile("ryk.INI"),
              "; 設定\n[SrcDir]\n1=C:\\データ\\表\n2=ソース\n[SrcFile]\n[SrcExclusionFile]\n"
              "[DstDir]\n[DstFile]\n[BinaryEditor]\n[TextEditor]\n@=C:\\エディタ\\秀丸.exe\n"
              "[Windiff]\n[Options]\n");
}

TEST(SettingsFileTest, ParsingRules) {
    struct Case {
        const char* name;
        std::string text;
        Lines srcDir;
    };
    const Case cases[] = {
        {"LF", "[SrcDir]\n1=a\n2=b\n", {"1=a", "2=b"}},
        {"CRLF", "[SrcDir]\r\n1=a\r\n2=b\r\n", {"1=a", "2=b"}},
        {"lone CR", "[SrcDir]\r1=a\r2=b\r", {"1=a", "2=b"}},
        {"no final line end", "[SrcDir]\n1=a\n2=b", {"1=a", "2=b"}},
        {"BOM", "\xEF\xBB\xBF[SrcDir]\n1=a\n", {"1=a"}},
        {"doubled BOM", "\xEF\xBB\xBF\xEF\xBB\xBF[SrcDir]\n1=a\n", {"1=a"}},
        {"name case and blanks", "  [ srcdir ]  \n1=a\n", {"1=a"}},
        {"comments and blank lines", "[SrcDir]\n;1=x\n  ; y\n\n \t\n1=a\n", {"1=a"}},
        {"no '=' kept, blanks inside kept", "[SrcDir]\nplain\n 1 = a \n", {"plain", " 1 = a "}},
        {"first of a repeated section wins",
         "[SrcDir]\n1=a\n[SrcFile]\n1=f\n[SRCDIR]\n1=b\n",
         {"1=a"}},
        {"'[' without ']' is a line", "[SrcDir]\n[x\n", {"[x"}},
        {"lines before any section are not ours", "1=a\n[SrcDir]\n", {}},
        {"NUL inside a line", std::string("[SrcDir]\n1=a\0b\n2=c\n", 19), {"2=c"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fromText(c.text).lines(S::SrcDir), c.srcDir) << c.name;
}

TEST(SettingsFileTest, HistoryReading) {
    SettingsFile settings;
    settings.setLines(S::DstDir,
                      {"1=/a", "noequals", "2=", "3=/A", "4=/b=c", "5=/ＡＢ", "6=/ａｂ", "7=/a"});
    EXPECT_EQ(settings.history(S::DstDir), (Lines{"/a", "/b=c", "/ＡＢ", "/ａｂ"}));
}

TEST(SettingsFileTest, SectionLimitOnLoad) {
    // Lines of 403 bytes each with their NUL; the section starts at 1 (its final NUL).
    const std::string big(400, 'x');
    const std::string fits = "5=" + std::string(1024 - 1 - 2 * 403 - 4 - 1 - 2, 'y');
    const std::string text = "[SrcDir]\n1=" + big + "\n2=" + big + "\n3=" + big + "\n4=z\n" + fits +
                             "\n[DstDir]\n1=" + std::string(1021, 'q') +
                             "\n2=" + std::string(1020, 'q') + "\n3=" + std::string(5000, 'q') +
                             "\n";
    const SettingsFile settings = fromText(text);
    // The third long line does not fit; the later short ones still do, up to exactly 1024.
    EXPECT_EQ(settings.lines(S::SrcDir), (Lines{"1=" + big, "2=" + big, "4=z", fits}));
    EXPECT_EQ(SettingsFile::sectionBytes(settings.lines(S::SrcDir)), 1024u);
    EXPECT_EQ(settings.lines(S::DstDir), (Lines{"2=" + std::string(1020, 'q')}));

    // Whole lines only: a line is never cut inside a character.
    std::string japanese = "[SrcFile]\n";
    for (int i = 1; i <= 40; ++i)
        japanese += std::to_string(i) + "=日本語のファイル名\n";
    const SettingsFile cut = fromText(japanese);
    EXPECT_LT(cut.lines(S::SrcFile).size(), 40u);
    for (const std::string& line : cut.lines(S::SrcFile))
        EXPECT_EQ(line.substr(line.find('=')), "=日本語のファイル名");
}

TEST(SettingsFileTest, SetHistoryFitRuleLeavesGaps) {
    const std::string item250(250, 'a');
    const std::string item255(255, 'b');
    const std::string item256(256, 'c');
    SettingsFile settings;
    settings.setHistory(S::SrcDir,
                        {item250, item255, item256, item250, item250, item250, "x", "y"});
    // 1 + 253 + 258 + 253 + 253 = 1018: the sixth entry would need 253 more, "7=x" fits
    // (1022), "8=y" would make 1026.
    EXPECT_EQ(settings.lines(S::SrcDir),
              (Lines{"1=" + item250, "2=" + item255, "4=" + item250, "5=" + item250, "7=x"}));
    EXPECT_LE(SettingsFile::sectionBytes(settings.lines(S::SrcDir)), SettingsFile::kSectionLimit);

    settings.setHistory(S::SrcFile, {"a", "line\nbreak", "", "b"});
    EXPECT_EQ(settings.lines(S::SrcFile), (Lines{"1=a", "3=", "4=b"}));
    EXPECT_EQ(settings.history(S::SrcFile), (Lines{"a", "b"}));

    // Rebuilding a section from its own lines keeps them.
    settings.setLines(S::SrcFile, settings.lines(S::SrcFile));
    EXPECT_EQ(settings.lines(S::SrcFile), (Lines{"1=a", "3=", "4=b"}));
}

TEST(SettingsFileTest, FirstRunWritesEverySection) {
    test::TempDir dir;
    PosixFileSystem fileSystem;
    SettingsFile settings(dir / "config/rykmere/ryk.INI");
    EXPECT_EQ(settings.load(fileSystem), ENOENT);
    for (size_t i = 0; i < SettingsFile::kSectionCount; ++i)
        EXPECT_TRUE(settings.lines(S(i)).empty());
    // The configuration directory is made on the way.
    ASSERT_EQ(settings.save(fileSystem), 0);
    EXPECT_EQ(dir.readFile("config/rykmere/ryk.INI"), kEmptyFile);
}

TEST(SettingsFileTest, ForeignSectionsAreKept) {
    const std::string text = "; written by hand\n\n[Other]\nkey = value\n; note\n\n[SrcDir]\n"
                             "; gone\n1=a\n[srcdir]\n1=dup\n[Tail]\nx=1\n";
    test::TempDir dir;
    dir.writeFile("ryk.INI", text);
    PosixFileSystem fileSystem;
    SettingsFile settings(dir / "ryk.INI");
    ASSERT_EQ(settings.load(fileSystem), 0);
    settings.setHistory(S::DstDir, {"/d"});
    ASSERT_EQ(settings.save(fileSystem), 0);
    EXPECT_EQ(dir.readFile("ryk.INI"),
              "; written by hand\n\n[SrcDir]\n1=a\n[SrcFile]\n[SrcExclusionFile]\n[DstDir]\n1=/d\n"
              "[DstFile]\n[BinaryEditor]\n[TextEditor]\n[Windiff]\n[Options]\n"
              "[Other]\nkey = value\n; note\n\n[Tail]\nx=1\n");
}

TEST(SettingsFileTest, HardLinksIsAKeyBesideSkipUnchangedAndOffWithoutIt) {
    EXPECT_FALSE(fromText("[Options]\nSkipUnchanged=1\n").hardLinks());
    SettingsFile settings = fromText("[Options]\nSkipUnchanged=1\n hardlinks = 1\n");
    EXPECT_TRUE(settings.hardLinks());
    settings.setHardLinks(false);
    EXPECT_FALSE(settings.hardLinks());
    EXPECT_TRUE(settings.skipUnchanged());
    EXPECT_EQ(settings.lines(S::Options), (Lines{"SkipUnchanged=1", "HardLinks=0"}));
    settings.setHardLinks(true);
    EXPECT_TRUE(fromText(settings.toText()).hardLinks());
}

TEST(SettingsFileTest, SkipUnchangedIsAKeyOfItsOwnAndOffWithoutIt) {
    const struct {
        std::string text;
        bool on;
        Lines afterOff; // the Options section once it is switched off
    } cases[] = {
        // A file written before the key: off, the rest as it was.
        {"[SrcDir]\n1=/a\n[Windiff]\n@=/usr/bin/diff\n", false, {"SkipUnchanged=0"}},
        {"[options]\nOther=x\n skipunchanged = 1\n", true, {"Other=x", "SkipUnchanged=0"}},
        {"[Options]\nSkipUnchanged=yes\n", false, {"SkipUnchanged=0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SettingsFile settings = fromText(c.text);
        EXPECT_EQ(settings.skipUnchanged(), c.on);
        settings.setSkipUnchanged(true);
        const SettingsFile reread = fromText(settings.toText());
        EXPECT_TRUE(reread.skipUnchanged());
        EXPECT_EQ(reread.toText(), settings.toText());
        settings.setSkipUnchanged(false);
        EXPECT_FALSE(settings.skipUnchanged());
        EXPECT_EQ(settings.lines(S::Options), c.afterOff);
    }
}

TEST(SettingsFileTest, TheTrashAndTheReadBackCheckAreKeysBesideIt) {
    SettingsFile settings = fromText("[Options]\nSkipUnchanged=1\nverify=1\n");
    EXPECT_FALSE(settings.trash());
    EXPECT_TRUE(settings.verify());
    settings.setTrash(true);
    settings.setVerify(false);
    EXPECT_TRUE(settings.skipUnchanged());
    EXPECT_EQ(settings.lines(S::Options), (Lines{"SkipUnchanged=1", "Verify=0", "Trash=1"}));
}

TEST(SettingsFileTest, FailedSaveLeavesOldFileAlone) {
    test::TempDir dir;
    PosixFileSystem fileSystem;
    const std::string old = "[SrcDir]\n1=old\n";
    dir.writeFile("blocker", old);
    dir.writeFile("isdir/ryk.INI/inside", old);
    const auto listing = [&dir] {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
            names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto before = listing();

    for (const std::string& path : {dir / "blocker/ryk.INI", dir / "isdir/ryk.INI"}) {
        SettingsFile settings(path);
        EXPECT_NE(settings.load(fileSystem), 0) << path;
        settings.setHistory(S::SrcDir, {"new"});
        EXPECT_NE(settings.save(fileSystem), 0) << path;
        // Without a failed load the write itself must fail, too.
        settings.setPath(path);
        EXPECT_NE(settings.save(fileSystem), 0) << path;
    }
    EXPECT_EQ(dir.readFile("blocker"), old);
    EXPECT_EQ(dir.readFile("isdir/ryk.INI/inside"), old);
    EXPECT_EQ(listing(), before);
}

TEST(SettingsFileTest, SaveIntoReadOnlyDirectoryFails) {
    test::TempDir dir;
    PosixFileSystem fileSystem;
    const std::string old = "[SrcDir]\n1=old\n";
    const std::string ro = dir.makeDir("ro");
    dir.writeFile("ro/ryk.INI", old);
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    if (isWritableDirectory(ro))
        GTEST_SKIP() << "running with rights that ignore permissions";
    SettingsFile settings(ro + "/ryk.INI");
    ASSERT_EQ(settings.load(fileSystem), 0);
    settings.setHistory(S::SrcDir, {"new"});
    EXPECT_EQ(settings.save(fileSystem), EACCES);
    EXPECT_EQ(dir.readFile("ro/ryk.INI"), old);
}

TEST(SettingsFileTest, UnreadableFileIsNotReplaced) {
    test::TempDir dir;
    // Writable but not readable: only the refusal keeps the file.
    const std::string path = dir.writeFile("ryk.INI", "[Other]\nkeep=1\n");
    fs::permissions(path, fs::perms::owner_write);
    PosixFileSystem fileSystem;
    SettingsFile settings(path);
    if (settings.load(fileSystem) == 0)
        GTEST_SKIP() << "running with rights that ignore permissions";
    EXPECT_TRUE(settings.lines(S::SrcDir).empty());
    EXPECT_EQ(settings.save(fileSystem), EACCES);
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_EQ(dir.readFile("ryk.INI"), "[Other]\nkeep=1\n");
}

TEST(SettingsFileTest, BadInputLoadsWhatFits) {
    std::string binary;
    for (int i = 0; i < 5000; ++i)
        binary += static_cast<char>((i * 7919 + 13) % 256);
    std::string truncatedUtf8 = "[SrcDir]\n1=ok\n2=\xE6\x97";
    const std::string overLong = "[SrcDir]\n1=" + std::string(100000, 'x') + "\n2=short\n";
    for (const std::string& text : {binary, truncatedUtf8, overLong, std::string(3000, '\0')}) {
        const SettingsFile settings = fromText(text);
        for (size_t i = 0; i < SettingsFile::kSectionCount; ++i) {
            EXPECT_LE(SettingsFile::sectionBytes(settings.lines(S(i))),
                      SettingsFile::kSectionLimit);
            for (const std::string& line : settings.lines(S(i)))
                EXPECT_TRUE(isValidUtf8(line));
        }
        EXPECT_EQ(fromText(settings.toText()).toText(), settings.toText());
    }
    EXPECT_EQ(fromText(truncatedUtf8).lines(S::SrcDir).front(), "1=ok");
    EXPECT_EQ(fromText(overLong).lines(S::SrcDir), (Lines{"2=short"}));
}

TEST(SettingsFileTest, HugeFileLoadsItsHead) {
    // Lines of 67 bytes ending in a three-byte character; a padding comment makes the read
    // stop right after the first byte of one.
    const std::string line = "k=" + std::string(61, 'v') + "あ\n";
    std::string text = "[SrcDir]\n1=日本\n[Other]\n;";
    while ((SettingsFile::kReadLimit - text.size() - 1) % line.size() != 64)
        text += 'p';
    text += '\n';
    while (text.size() < SettingsFile::kReadLimit + 4096)
        text += line;
    ASSERT_EQ(static_cast<unsigned char>(text[SettingsFile::kReadLimit - 1]), 0xE3);
    text += "[DstDir]\n1=beyond the head\n";
    test::TempDir dir;
    dir.writeFile("ryk.INI", text);
    PosixFileSystem fileSystem;
    SettingsFile settings(dir / "ryk.INI");
    ASSERT_EQ(settings.load(fileSystem), kErrorNotReadWhole);
    EXPECT_EQ(settings.history(S::SrcDir), (Lines{"日本"}));
    EXPECT_TRUE(settings.lines(S::DstDir).empty());
    EXPECT_LE(settings.toText().size(), SettingsFile::kReadLimit + 200);
}

TEST(SettingsFileTest, WhatCannotBeWrittenBackAsItWasIsLeftAlone) {
    const std::string head = "[SrcDir]\n1=/a\n[Other]\n";
    // Another program's section that fills the file up to the limit exactly.
    const std::string fits =
        head + ";" + std::string(SettingsFile::kReadLimit - head.size() - 2, 'p') + "\n";
    struct Case {
        const char* name;
        std::string bytes;
        int error;
    };
    const Case cases[] = {
        {"exactly the read limit", fits, 0},
        {"one byte over it", fits + "x", kErrorNotReadWhole},
        {"a NUL byte", head + std::string("k=\0\n", 4), kErrorNotText},
        {"neither UTF-8 nor CP932", head + "k=\x81\x20\n", kErrorNotText},
    };
    test::TempDir dir;
    PosixFileSystem fileSystem;
    for (const Case& c : cases) {
        const std::string path = dir.writeFile("ryk.INI", c.bytes);
        SettingsFile settings(path);
        EXPECT_EQ(settings.load(fileSystem), c.error) << c.name;
        EXPECT_EQ(settings.history(S::SrcDir), (Lines{"/a"})) << c.name;
        settings.setHistory(S::DstDir, {"/new"});
        EXPECT_EQ(settings.save(fileSystem), c.error) << c.name;
        EXPECT_EQ(dir.readFile("ryk.INI") == c.bytes, c.error != 0) << c.name;
    }

    // A FIFO is not opened, so nothing waits for a writer; a hang ends the test by SIGALRM.
    const std::string fifo = dir / "fifo.INI";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    SettingsFile settings(fifo);
    alarm(10);
    EXPECT_EQ(settings.load(fileSystem), kErrorSpecialFile);
    alarm(0);
    EXPECT_EQ(settings.save(fileSystem), kErrorSpecialFile);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

} // namespace
} // namespace ryk
