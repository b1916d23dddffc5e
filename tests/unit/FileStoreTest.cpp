// The platform's file store on its own: locks that file systems refuse, and
// replacements that stay whole whenever the program is killed.
#include "platform/system/PosixFileStore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "Fakes.h"
#include "ScriptPage.h"
#include "learner/FileStore.h"

namespace dorv {
namespace {

using test::ReadBytes;

// File systems that refuse flock (NFS) or every lock (NFSv3 without a lock
// manager): loads and saves go on, with byte-range locks where they work.
TEST(FileLocks, RefusedLocksNeverFailALoadOrASave) {
    test::ScratchFolder scratch;
    const std::string path = scratch.Write("PREF.PRF", "old");
    static int refusal = 0;
    auto refuse = [](int, int) {
        errno = refusal;
        return -1;
    };
    for (int err : {EBADF, ENOLCK, EOPNOTSUPP, EINVAL}) {
        refusal = err;
        PosixFileStore nfs({refuse, PosixFileStore::kSystemLocks.range});
        std::string bytes;
        int e = 0;
        EXPECT_TRUE(ReadWholeFile(nfs, path, bytes, e)) << err;
        EXPECT_TRUE(nfs.WriteAtomically(path, "new", e)) << err << " " << e;
        // Byte-range locks still hold two copies off.
        PosixFileStore other({refuse, PosixFileStore::kSystemLocks.range});
        {
            auto reading = nfs.Open(path, IFileStore::OpenMode::ReadExisting, e);
            ASSERT_TRUE(reading);
            EXPECT_FALSE(other.WriteAtomically(path, "clash", e));
            EXPECT_EQ(e, EWOULDBLOCK);
        }
        // No lock at all: everything works unlocked.
        PosixFileStore bare({refuse, [](int, struct flock*) {
                                 errno = ENOLCK;
                                 return -1;
                             }});
        EXPECT_TRUE(bare.WriteAtomically(path, "bare", e));
        EXPECT_TRUE(ReadWholeFile(bare, path, bytes, e));
        EXPECT_EQ(bytes, "bare");
    }
    // Another error of the lock call is no refusal.
    refusal = EIO;
    PosixFileStore broken({refuse, PosixFileStore::kSystemLocks.range});
    int e = 0;
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(broken, path, bytes, e));
    EXPECT_EQ(e, EIO);
}

// A child saves through the real code without pause and is killed at random
// moments: every file holds its old content or its new one, never a mix.
TEST(AtomicWrites, SurviveBeingKilledAtAnyMoment) {
    test::ScratchFolder folder;
    const std::string a(60000, 'a'), b = std::string(90000, 'b') + "end";
    const std::vector<std::string> names = {"PREF.PRF", "TASK.DAT", "SCORE.DAT"};
    PosixFileStore files;
    int err = 0;
    for (const std::string& name : names) ASSERT_TRUE(files.WriteAtomically(folder.Path() / name, a, err));
    std::mt19937 random(12345);
    for (int kill = 0; kill < 200; ++kill) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned i = 0;; ++i) {
                for (const std::string& name : names) files.WriteAtomically(folder.Path() / name, i % 2 ? a : b, err);
            }
        }
        usleep(std::uniform_int_distribution<useconds_t>(0, 8000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        for (const std::string& name : names) {
            std::string content = ReadBytes(folder.Path() / name);
            ASSERT_TRUE(content == a || content == b)
                << name << " after kill " << kill << ": " << content.size() << " bytes";
        }
    }
}

}  // namespace
}  // namespace dorv
