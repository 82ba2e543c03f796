#include "core/base/IniFile.h"

#include "FileSizeLimit.h"
#include "TempTree.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kSample = "; kept comment\r\n"
                           "[General]\r\n"
                           "WorkDir = /home/tech/lifts \r\n"
                           "PicturesPerFile=50\r\n"
                           "Unknown=keep me\r\n"
                           "Broken=12abc\r\n"
                           "Quoted=\"two words\"\r\n"
                           "\r\n"
                           "[Other Section]\r\n"
                           "x=1\r\n";

TEST(IniFile, ReadsSectionsAndKeysWithoutRegardToCase) {
    TempTree tree;
    IniFile ini(tree.Write("a.config", kSample));
    EXPECT_EQ(ini.ReadString("general", "WORKDIR", "none"), "/home/tech/lifts");
    EXPECT_EQ(ini.ReadString("GENERAL", "quoted", "none"), "two words");
    EXPECT_EQ(ini.ReadString("other section", "X", "none"), "1");
    EXPECT_EQ(ini.ReadString("General", "Missing", "none"), "none");
    EXPECT_EQ(ini.ReadString("Missing", "x", "none"), "none");
}

TEST(IniFile, IntegersAndBooleansFallBackToTheDefault) {
    TempTree tree;
    IniFile ini(tree.Write("a.config", kSample + "[Flags]\nOn=1\nOff=0\nSeven=7\nWord=yes\n"));
    EXPECT_EQ(ini.ReadInteger("General", "PicturesPerFile", 200), 50);
    EXPECT_EQ(ini.ReadInteger("General", "Broken", 200), 200);
    EXPECT_EQ(ini.ReadInteger("General", "Absent", -4), -4);
    EXPECT_TRUE(ini.ReadBool("Flags", "On", false));
    EXPECT_FALSE(ini.ReadBool("Flags", "Off", true));
    EXPECT_TRUE(ini.ReadBool("Flags", "Seven", false));
    EXPECT_TRUE(ini.ReadBool("Flags", "Word", true));
    EXPECT_FALSE(ini.ReadBool("Flags", "Word", false));
}

TEST(IniFile, WritesChangeOnlyTheirOwnLine) {
    TempTree tree;
    const QString path = tree.Write("a.config", kSample);
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteInteger("GENERAL", "picturesperfile", 80));
    ASSERT_TRUE(ini.WriteBool("General", "SaveAutoEnabled", false));
    ASSERT_TRUE(ini.WriteString("Delays", "EEpromWrite", "150"));

    QByteArray expected = kSample;
    expected.replace("PicturesPerFile=50", "PicturesPerFile=80");
    expected.replace("Quoted=\"two words\"\r\n", "Quoted=\"two words\"\r\nSaveAutoEnabled=0\r\n");
    expected += "\r\n[Delays]\r\nEEpromWrite=150\r\n";
    EXPECT_EQ(tree.Read(path), expected);
    EXPECT_EQ(ini.ReadString("General", "SaveAutoEnabled", "?"), "0");
}

TEST(IniFile, AFailedSaveNeverEmptiesTheConfiguration) {
    TempTree tree;
    const QString path = tree.Write("a.config", kSample);
    IniFile ini(path);
    {
        FileSizeLimit full(64); // less than the file needs: the failure shows only at the flush
        EXPECT_FALSE(ini.WriteString("General", "WorkDir", "/elsewhere"));
    }
    EXPECT_EQ(ini.ErrorString(), "File too large");
    EXPECT_EQ(tree.Read(path), kSample);
    EXPECT_EQ(QDir(tree.Path()).entryList(QDir::Files), QStringList{"a.config"});
}

TEST(IniFile, CreatesAMissingFileAndKeepsForeignBytes) {
    TempTree tree;
    IniFile fresh(tree.Path("new.config"));
    ASSERT_TRUE(fresh.WriteInteger("Language", "LanguageValue", 3));
    EXPECT_EQ(tree.Read("new.config"), "[Language]\nLanguageValue=3\n");

    // A value an older installation wrote in Windows-1252 reads with its umlaut
    // and survives a write elsewhere in the file byte for byte.
    const QString legacy = tree.Write("old.config", "[General]\nWorkDir=C:\\F\xfchrung\nx=1\n");
    IniFile old(legacy);
    EXPECT_EQ(old.ReadString("General", "WorkDir", ""), QString::fromUtf8("C:\\F\xc3\xbchrung"));
    ASSERT_TRUE(old.WriteString("General", "x", "2"));
    EXPECT_EQ(tree.Read(legacy), QByteArray("[General]\nWorkDir=C:\\F\xfchrung\nx=2\n"));
}

TEST(IniFile, AFailedWriteLeavesTheFileAsItWas) {
    TempTree tree;
    IniFile nowhere(tree.Path("no/such/dir/a.config"));
    EXPECT_FALSE(nowhere.WriteString("General", "WorkDir", "x"));
    EXPECT_FALSE(nowhere.ErrorString().isEmpty());
    EXPECT_EQ(nowhere.ReadString("General", "WorkDir", "default"), "default");
}

TEST(IniFile, SurvivesArbitraryBytes) {
    TempTree tree;
    QByteArray noise;
    for (int i = 0; i < 4096; ++i) {
        noise += static_cast<char>((i * 7919 + 13) % 256);
    }
    noise += "\n[General]\nx=5\n[\n=\n[]=\n";
    IniFile ini(tree.Write("noise.config", noise));
    EXPECT_EQ(ini.ReadInteger("General", "x", 0), 5);
    EXPECT_TRUE(ini.WriteInteger("General", "y", 6));
    EXPECT_EQ(ini.ReadInteger("General", "y", 0), 6);
    EXPECT_TRUE(tree.Read("noise.config").startsWith(noise.left(4096)));
}

} // namespace
