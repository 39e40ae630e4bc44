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
// writes it, with a mount table of our own in place of the system's.
class FirstRunTest : public ::testing::Test {
protected:
    QTemporaryDir home_;
    QString root_ = home_.path() + "/data/Quillory/";
    QString mounts_ = home_.path() + "/mounts";

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
                                           return FindFirstOpticalDrive(mounts_.toStdString());
                                       }});
        return settings;
    }
};

TEST_F(FirstRunTest, FirstOpticalDriveBecomesTheInputAndTheRuleRunsOnce) {
    Write(mounts_, "/dev/vda1 / ext4 rw 0 0\n"
                   "/dev/sdb1 /media/u/STICK vfat rw 0 0\n"
                   "/dev/sr1 /media/u/My\\040Disc iso9660 ro 0 0\n"
                   "/dev/sr0 /media/u/OTHER udf ro 0 0\n");
    Settings settings = Start();
    EXPECT_EQ(settings.InputDir, "/media/u/My Disc/");
    EXPECT_FALSE(QFile::exists(root_ + "Main Database/VLR_STD"));
    EXPECT_TRUE(QFile::exists(root_ + "Main Database/VLR_ZIP"));

    QtSettingsStore store;
    EXPECT_EQ(store.ReadText("FirstTime"), "False");
    EXPECT_EQ(store.ReadText("InputDir"), "/media/u/My Disc/");

    // A later start reads the stored input location and looks for no drive.
    Write(mounts_, "/dev/sr0 /media/cdrom iso9660 ro 0 0\n");
    EXPECT_EQ(Start().InputDir, "/media/u/My Disc/");
}

TEST_F(FirstRunTest, WithoutAnOpticalDriveTheInputLocationStays) {
    Write(mounts_, "/dev/vda1 / ext4 rw 0 0\n");
    EXPECT_EQ(Start().InputDir, "");
    EXPECT_EQ(QtSettingsStore().ReadText("FirstTime"), "False");
}

} // namespace
