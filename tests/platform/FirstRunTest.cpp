#include "platform/QtSettingsStore.h"
#include "platform/SystemDrives.h"
#include "settings/LoadSettings.h"
#include "store/DefaultDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quillory;

namespace {

// The first start of the program, on a settings file as the installation step
// writes it, with a list of block devices of our own in place of the system's.
class FirstRunTest : public ::testing::Test {
protected:
    QTemporaryDir home_;
    QString root_ = home_.path() + "/data/Quillory/";
    QString blocks_ = home_.path() + "/sys/block";

    // The block devices the system knows, as names in /sys/block.
    void Devices(std::initializer_list<const char*> names) {
        QDir(blocks_).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(blocks_));
        for (const char* name : names)
            ASSERT_TRUE(QDir().mkpath(blocks_ + "/" + name));
    }

    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toLocal8Bit());
        ASSERT_TRUE(QDir().mkpath(root_ + "Main Database"));
        for (const char* marker : {"VLR_STD", "VLR_ZIP"})
            Write(root_ + "Main Database/" + marker, "Quillory v1.0\r\n");
        ASSERT_TRUE(QDir().mkpath(home_.path() + "/config/Quillory"));
        Write(QtSettingsStore::DefaultPath(), "[General]\nDatabaseDir=" + root_.toUtf8() +
                                                  "\nFirstTime=True\n"
                                                  "PrintCols=\" 30  30  15   4  10  23\"\n"
                                                  "PrintColsEnabled=\"1 1 1 1 1 1 \"\n");
    }

    static void Write(const QString& path, const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    Settings Start() {
        QtSettingsStore store;
        Settings settings;
        LoadSettings(store, settings, {KeepDefaultDatabaseCompressed, [this] {
                                           return FindFirstOpticalDrive(blocks_.toStdString());
                                       }});
        return settings;
    }
};

TEST_F(FirstRunTest, FirstOpticalDriveBecomesTheInputAndTheRuleRunsOnce) {
    // A drive is a place of its own, disc or no disc: sr0 holds none here.
    Devices({"vda", "sr1", "loop0", "sr0"});
    Settings settings = Start();
    EXPECT_EQ(settings.InputDir, "/dev/sr0/");
    EXPECT_FALSE(QFile::exists(root_ + "Main Database/VLR_STD"));
    EXPECT_TRUE(QFile::exists(root_ + "Main Database/VLR_ZIP"));

    QtSettingsStore store;
    EXPECT_EQ(store.ReadText("FirstTime"), "False");
    EXPECT_EQ(store.ReadText("InputDir"), "/dev/sr0/");

    // A later start reads the stored input location and looks for no drive.
    Devices({"sr5"});
    EXPECT_EQ(Start().InputDir, "/dev/sr0/");
}

TEST_F(FirstRunTest, WithoutAnOpticalDriveTheInputLocationStays) {
    Devices({"vda", "loop0"});
    EXPECT_EQ(Start().InputDir, "");
    EXPECT_EQ(QtSettingsStore().ReadText("FirstTime"), "False");
}

} // namespace
