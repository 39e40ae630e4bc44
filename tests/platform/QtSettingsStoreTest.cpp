#include "platform/QtSettingsStore.h"

#include "common/Error.h"
#include "settings/LoadSettings.h"
#include "settings/SetupForm.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quillory;

namespace {

class QtSettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir_;
    QString path_ = dir_.path() + "/Quillory/Quillory.conf";

    void WriteFile(const QByteArray& text) {
        ASSERT_TRUE(QDir().mkpath(dir_.path() + "/Quillory"));
        QFile file(path_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
};

TEST_F(QtSettingsStoreTest, SettingsWrittenAsTextsLoadBackAndSaveTheSameTexts) {
    WriteFile("[General]\n"
              "InputDir=/media/cdrom/\n"
              "DatabaseDir=\"/home/u/My, Data/\"\n"
              "PrintCols=\"  5  40 120   4  10  20\"\n"
              "PrintColsEnabled=\"1 0 1 1 0 1 \"\n");
    QtSettingsStore store(path_);
    ASSERT_TRUE(store.Exists());
    Settings settings;
    ReadSettings(store, settings);
    EXPECT_EQ(settings.DatabaseDir, "/home/u/My, Data/");
    EXPECT_EQ(settings.PrintCols, (std::array<std::int32_t, 6>{5, 40, 120, 4, 10, 20}));
    EXPECT_EQ(settings.PrintColsEnabled,
              (std::array<bool, 6>{true, false, true, true, false, true}));

    SetupForm form = SetupFormFromSettings(settings);
    SaveSetup(form, store, settings);
    QtSettingsStore reread(path_);
    EXPECT_EQ(reread.ReadText("PrintCols"), "  5  40 120   4  10  20");
    EXPECT_EQ(reread.ReadText("PrintColsEnabled"), "1 0 1 1 0 1 ");
    EXPECT_EQ(reread.ReadText("DatabaseDir"), "/home/u/My, Data/");
}

TEST_F(QtSettingsStoreTest, AValueThatIsNotATextIsRefused) {
    WriteFile("[General]\nInputDir=/a/, /b/\nDatabaseDir=@ByteArray(xyz)\n");
    QtSettingsStore store(path_);
    Settings settings;
    try {
        ReadSettings(store, settings);
        FAIL() << "a list was read as a text";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'InputDir'");
    }
    EXPECT_THROW(store.ReadText("DatabaseDir"), Error);
    EXPECT_EQ(store.ReadText("Missing"), "");
}

TEST_F(QtSettingsStoreTest, NoFileMeansNoSettingsUntilSaved) {
    QtSettingsStore store(path_);
    EXPECT_FALSE(store.Exists());
    store.WriteText("FirstTime", "False");
    store.Commit();
    EXPECT_TRUE(store.Exists());
}

TEST_F(QtSettingsStoreTest, AFileThatCannotBeWrittenIsReported) {
    QtSettingsStore store("/proc/quillory-cannot-write/Quillory.conf");
    store.WriteText("FirstTime", "False");
    EXPECT_THROW(store.Commit(), Error);
}

TEST_F(QtSettingsStoreTest, DefaultLocationFollowsXdgConfigHome) {
    qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
    EXPECT_EQ(QtSettingsStore::DefaultPath(), path_);
}

} // namespace
