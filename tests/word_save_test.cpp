// Saves as a user who is not root, as the program's users are: a file the user may not write
// is not replaced, a folder it may not write and a full disk leave the old file as it was, a
// save through a link writes the document the link points to. Every file is checked on disk
// afterwards by its hash. Run as root, each save happens in a child process that has become
// the user "nobody".
#include "data/docbuilder/docbuilder.h"
#include "tests/test_support.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace wordauto;
namespace fs = std::filesystem;
namespace db = docbuilder;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;

std::uint64_t fileHash(const std::string& p)
{
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : readFile(p))
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h;
}

std::string checkList(const std::string& value)
{
    db::Document d;
    d.body = {"Lista di controllo 2.03",
              db::table({db::row({"001", db::TextField{"f001", value}}),
                         db::row({"002", db::CheckBox{"c002", true}})})};
    return db::toBytes(d);
}

struct stat statOf(const std::string& p)
{
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st;
}

// What a save did: "" when it went through, else the WordError's text (or another failure's).
using Task = std::function<std::string()>;

std::string outcome(const std::function<void()>& call)
{
    try {
        call();
        return {};
    } catch (const WordError& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("not a WordError: ") + e.what();
    }
}

// Opens the file, writes `value` into field f001 and saves with `save`.
std::string editAndSave(const std::string& p, const std::string& value,
                        const std::function<void(DOC_Application&, DOC_Document&)>& save)
{
    DOC_Application app;
    std::string result = outcome([&] {
        auto doc = app.Documents().Open(p, false, false);
        doc.FormFields().Item("f001").Result(value);
        save(app, doc);
    });
    app.Quit(0);
    return result;
}

std::string fieldValue(const std::string& p)
{
    DOC_Application app;
    std::string v = app.Documents().Open(p, false, true).FormFields().Item("f001").Result();
    app.Quit(0);
    return v;
}

class SaveAsUserTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        asRoot_ = ::geteuid() == 0;
        // The user must reach the folder.
        fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                                  | fs::perms::others_read | fs::perms::others_exec);
        giveToUser(dir_);
    }
    void TearDown() override
    {
        if (!mounted_.empty())
            ::umount2(mounted_.c_str(), MNT_DETACH);
        // A folder left read-only would stop its removal.
        for (const auto& e : fs::recursive_directory_iterator(dir_))
            if (e.is_directory() && !e.is_symlink())
                fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add);
        TempDirTest::TearDown();
    }

    // A file of the test user's own (nobody's, when run as root).
    void writeOwn(const std::string& p, const std::string& bytes, mode_t mode = 0644)
    {
        writeFile(p, bytes);
        ::chmod(p.c_str(), mode);
        giveToUser(p);
    }

    // Made here by root, owned by the user the saves run as.
    void giveToUser(const fs::path& p)
    {
        if (asRoot_) {
            ASSERT_EQ(::chown(p.c_str(), kNobody, kNogroup), 0) << p;
        }
    }

    // Runs the task as a user who is not root: in a child process that drops root's rights
    // when the tests run as root, else here. Returns the task's outcome.
    std::string asUser(const Task& task)
    {
        if (!asRoot_)
            return task();
        int fds[2];
        if (::pipe(fds) != 0)
            return "pipe failed";
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            std::string result;
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNogroup) != 0 || ::setuid(kNobody) != 0)
                result = "cannot become nobody";
            else
                result = "ran:" + task();
            (void)!::write(fds[1], result.data(), result.size());
            ::_exit(0);
        }
        ::close(fds[1]);
        std::string result;
        char buf[4096];
        ssize_t n;
        while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
            result.append(buf, static_cast<std::size_t>(n));
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return "child failed with status " + std::to_string(status);
        if (result.rfind("ran:", 0) != 0)
            return result;
        return result.substr(4);
    }

    // Names in the folder other than `expected`: a temporary file a save left behind shows here.
    std::string strays(const fs::path& folder, std::initializer_list<const char*> expected)
    {
        std::string out;
        for (const auto& e : fs::directory_iterator(folder)) {
            const std::string name = e.path().filename().string();
            bool known = false;
            for (const char* x : expected)
                known = known || name == x;
            if (!known)
                out += name + " ";
        }
        return out;
    }

    bool asRoot_ = false;
    std::string mounted_;
};

TEST_F(SaveAsUserTest, AFileOfMode0444IsOpenedReadOnlyAndNeverReplaced)
{
    const std::string p = path("lista.docx");
    const std::string other = path("altra.docx");
    writeOwn(p, checkList("Rossi"), 0444);
    writeOwn(other, checkList("Verdi"));
    const auto before = fileHash(p);
    const std::string result = asUser([&] {
        std::string r;
        DOC_Application app;
        auto doc = app.Documents().Open(p, false, false);
        r += doc.ReadOnly() ? "read-only|" : "writable|";
        doc.FormFields().Item("f001").Result("Bianchi");
        r += outcome([&] { doc.Save(); }) + "|";
        r += outcome([&] { doc.SaveAs(p); }) + "|";
        // Another document saved under its name.
        auto second = app.Documents().Open(other, false, false);
        r += outcome([&] { second.SaveAs(p); }) + "|";
        r += outcome([&] { app.Documents().Close(-1); }) + "|";
        app.Quit(0);
        return r;
    });
    EXPECT_EQ(result.find("writable"), std::string::npos) << result;
    for (const char* expected : {"aperto in sola lettura", "Il file è di sola lettura"})
        EXPECT_NE(result.find(expected), std::string::npos) << result;
    EXPECT_EQ(result.find("||"), std::string::npos) << "a save went through: " << result;
    EXPECT_EQ(fileHash(p), before);
    EXPECT_EQ(statOf(p).st_mode & 07777, 0444u);
    EXPECT_EQ(strays(dir_, {"lista.docx", "altra.docx"}), "");
}

TEST_F(SaveAsUserTest, AFileMadeReadOnlyAfterOpeningIsNotReplaced)
{
    const std::string p = path("lista.docx");
    writeOwn(p, checkList("Rossi"));
    const std::string result = asUser([&] {
        return editAndSave(p, "Bianchi", [&](DOC_Application&, DOC_Document& doc) {
            ::chmod(p.c_str(), 0444);
            doc.Save();
        });
    });
    EXPECT_NE(result.find("Impossibile salvare il file (Il file è di sola lettura): \"" + p + "\""),
              std::string::npos)
        << result;
    EXPECT_EQ(fieldValue(p), "Rossi");
    EXPECT_EQ(strays(dir_, {"lista.docx"}), "");
}

TEST_F(SaveAsUserTest, AFileOfAnotherOwnerIsNotReplaced)
{
    if (!asRoot_)
        GTEST_SKIP() << "a file of another owner needs root to be made: the tests do not run as root";
    const std::string p = path("lista.docx");
    writeFile(p, checkList("Rossi")); // root's, 0644, in nobody's folder
    ::chmod(p.c_str(), 0644);
    const auto before = fileHash(p);
    const std::string result = asUser([&] {
        DOC_Application app;
        auto doc = app.Documents().Open(p, false, false);
        std::string r = doc.ReadOnly() ? "read-only|" : "writable|";
        doc.FormFields().Item("f001").Result("Bianchi");
        r += outcome([&] { doc.Save(); }) + "|";
        r += outcome([&] { app.Documents().Close(-1); });
        app.Quit(0);
        return r;
    });
    EXPECT_EQ(result.rfind("read-only|", 0), 0u) << result;
    EXPECT_NE(result.find("sola lettura"), std::string::npos) << result;
    EXPECT_EQ(result.find("||"), std::string::npos) << result;
    EXPECT_EQ(fileHash(p), before);
    EXPECT_EQ(statOf(p).st_uid, 0u);
    EXPECT_EQ(strays(dir_, {"lista.docx"}), "");
}

TEST_F(SaveAsUserTest, AReadOnlyFolderLeavesTheFileAsItWas)
{
    const fs::path folder = dir_ / "cartella";
    fs::create_directory(folder);
    giveToUser(folder);
    const std::string p = (folder / "lista.docx").string();
    writeOwn(p, checkList("Rossi"));
    ::chmod(folder.c_str(), 0555);
    const auto before = fileHash(p);
    const std::string result =
        asUser([&] { return editAndSave(p, "Bianchi", [](DOC_Application&, DOC_Document& d) { d.Save(); }); });
    EXPECT_NE(result.find("Impossibile salvare il file (Permesso negato"), std::string::npos) << result;
    EXPECT_NE(result.find(p), std::string::npos) << result;
    EXPECT_EQ(fileHash(p), before);
    EXPECT_EQ(strays(folder, {"lista.docx"}), "");
}

TEST_F(SaveAsUserTest, AFullDiskLeavesTheFileAsItWas)
{
    const fs::path mount = dir_ / "disco";
    fs::create_directory(mount);
    const std::string options = "size=256k,mode=0755,uid=" + std::to_string(asRoot_ ? kNobody : ::geteuid());
    if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, options.c_str()) != 0)
        GTEST_SKIP() << "a small file system cannot be mounted here (" << std::strerror(errno)
                     << "): the full disk is not tried";
    mounted_ = mount.string();
    const std::string p = (mount / "lista.docx").string();
    writeOwn(p, checkList("Rossi"));
    // Fill what is left, so that no new byte fits.
    {
        const std::string filler = (mount / "riempitivo").string();
        const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'x');
        for (std::size_t size = block.size(); size > 0; size /= 2)
            while (::write(fd, block.data(), size) == static_cast<ssize_t>(size)) {
            }
        ::close(fd);
    }
    const auto before = fileHash(p);
    const std::string result =
        asUser([&] { return editAndSave(p, "Bianchi", [](DOC_Application&, DOC_Document& d) { d.Save(); }); });
    EXPECT_NE(result.find("Impossibile salvare il file (Spazio su disco esaurito): \"" + p + "\""),
              std::string::npos)
        << result;
    EXPECT_EQ(fileHash(p), before);
    EXPECT_EQ(strays(mount, {"lista.docx", "riempitivo"}), "");
}

TEST_F(SaveAsUserTest, ASaveThroughASymbolicLinkWritesTheDocumentItPointsTo)
{
    const fs::path docs = dir_ / "documenti";
    fs::create_directory(docs);
    giveToUser(docs);
    const std::string real = (docs / "lista.docx").string();
    const std::string link = path("collegamento.docx");
    writeOwn(real, checkList("Rossi"), 0640);
    fs::create_symlink("documenti/lista.docx", link);
    const auto before = fileHash(real);
    const std::string result =
        asUser([&] { return editAndSave(link, "Bianchi", [](DOC_Application&, DOC_Document& d) { d.Save(); }); });
    EXPECT_EQ(result, "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "documenti/lista.docx");
    EXPECT_NE(fileHash(real), before);
    EXPECT_EQ(fileHash(link), fileHash(real));
    EXPECT_EQ(fieldValue(real), "Bianchi");
    EXPECT_EQ(statOf(real).st_mode & 07777, 0640u);
    if (asRoot_) {
        EXPECT_EQ(statOf(real).st_uid, kNobody);
    }
    EXPECT_EQ(strays(docs, {"lista.docx"}), "");
    EXPECT_EQ(strays(dir_, {"documenti", "collegamento.docx"}), "");
}

// The save writes a new file and renames it over the name saved to, so the other name of a
// hard link keeps the content it had: that is what keeps a failed save from leaving either
// name half written.
TEST_F(SaveAsUserTest, AHardLinkKeepsTheOldContentUnderItsOtherName)
{
    const std::string p = path("lista.docx");
    const std::string other = path("copia.docx");
    writeOwn(p, checkList("Rossi"), 0600);
    ASSERT_EQ(::link(p.c_str(), other.c_str()), 0);
    const auto before = fileHash(p);
    const std::string result =
        asUser([&] { return editAndSave(p, "Bianchi", [](DOC_Application&, DOC_Document& d) { d.Save(); }); });
    EXPECT_EQ(result, "");
    EXPECT_NE(fileHash(p), before);
    EXPECT_EQ(fieldValue(p), "Bianchi");
    EXPECT_EQ(statOf(p).st_mode & 07777, 0600u);
    EXPECT_EQ(fileHash(other), before);
    EXPECT_EQ(fieldValue(other), "Rossi");
    EXPECT_EQ(statOf(other).st_nlink, 1u);
    EXPECT_EQ(strays(dir_, {"lista.docx", "copia.docx"}), "");
}

} // namespace

namespace {

TEST_F(SaveAsUserTest, APathThatCannotHoldADocumentIsRefusedInItalian)
{
    const std::string p = path("lista.docx");
    writeOwn(p, checkList("Rossi"));
    const std::string fifo = path("coda.docx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    giveToUser(fifo);
    struct Target {
        std::string path;
        std::string cause;
    };
    const Target targets[] = {
        {path("manca/lista.docx"), "Impossibile salvare il file (Cartella inesistente)"},
        {fifo, "Impossibile salvare il file (il percorso non indica un documento ma un file speciale)"},
        {dir_.string(), "Impossibile salvare il file (Il percorso indica una cartella)"},
    };
    for (const auto& t : targets) {
        SCOPED_TRACE(t.path);
        const std::string result = asUser(
            [&] { return editAndSave(p, "Bianchi", [&](DOC_Application&, DOC_Document& d) { d.SaveAs(t.path); }); });
        EXPECT_EQ(result, t.cause + ": \"" + t.path + "\"");
    }
    EXPECT_EQ(fieldValue(p), "Rossi");
    EXPECT_EQ(strays(dir_, {"lista.docx", "coda.docx"}), "");
}

} // namespace
