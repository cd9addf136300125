#include "runtime/LoadPackage.h"

#include "package/PackageFormat.h"
#include "platform/TempPath.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

QString TempDir;

QString PictureFileName(int i) { return QStringLiteral("fpics%1.jpg").arg(i); }
QString MovieFileName(int i) { return QStringLiteral("fscreen%1.swf").arg(i); }
QString MusicFileName(int i, std::uint8_t kind)
{
    return QStringLiteral("fscreen%1").arg(i) + QLatin1String(package::MusicExtension(kind));
}

namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { if (fd_ >= 0) ::close(fd_); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

// Copies length bytes at offset of the package into a new file of the temporary folder.
// The kernel copies where it can; otherwise one buffer at a time.
bool extractPiece(int in, off_t offset, off_t length, const QString &name)
{
    Fd out(TempPath::createFileNoFollow(TempDir + name));
    if (!out.ok()) return false;
    off_t from = offset;
    off_t left = length;
    while (left > 0) {
        const ssize_t n = ::copy_file_range(in, &from, out.get(), nullptr, size_t(left), 0);
        if (n > 0) {
            left -= n;
            continue;
        }
        if (n == 0) return false; // the package ended early
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
        // Fallback: plain reads and writes.
        std::vector<char> buffer(std::size_t(std::min<off_t>(left, 1 << 20)));
        while (left > 0) {
            const ssize_t r = ::pread(in, buffer.data(), std::size_t(std::min<off_t>(left, off_t(buffer.size()))), from);
            if (r <= 0) return false;
            for (ssize_t done = 0; done < r;) {
                const ssize_t w = ::write(out.get(), buffer.data() + done, std::size_t(r - done));
                if (w <= 0) return false;
                done += w;
            }
            from += r;
            left -= r;
        }
    }
    return true;
}

bool readTrailer(int fd, off_t fileSize, package::Trailer &t)
{
    std::array<std::uint8_t, package::TrailerSize> bytes{};
    if (::pread(fd, bytes.data(), bytes.size(), fileSize - package::TrailerSize) != package::TrailerSize)
        return false;
    return package::ReadTrailer(bytes, t);
}

// The pieces lie back to back before the trailer; they must all fit between the start
// of the file and the trailer.
bool piecesFit(const package::Trailer &t, off_t trailerStart)
{
    off_t sum = 0;
    for (auto s : t.sizes) sum += s;
    return sum <= trailerStart;
}

} // namespace

bool LoadPackage(const QString &path, PlayerState &state, PackageMedia &media)
{
    Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.ok()) return false;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || st.st_size < package::TrailerSize) return false;
    const off_t trailerStart = st.st_size - package::TrailerSize;

    package::Trailer t;
    if (!readTrailer(fd.get(), st.st_size, t) || !piecesFit(t, trailerStart)) return false;

    off_t position = trailerStart;
    if (!t.isPictures()) {
        state.SaverKind = QStringLiteral("flash");
        media.showFlashPlayer();
        state.FileCount = t.fileCount;
        state.QuitMode = t.quitMode;
        state.Reserved = t.reserved;
        for (int i = t.fileCount - 1; i >= 0; --i) {
            position -= t.sizes[std::size_t(i)];
            if (!extractPiece(fd.get(), position, t.sizes[std::size_t(i)], MovieFileName(i)))
                return false;
        }
        media.startMovie(TempDir + MovieFileName(0));
        return true;
    }

    state.SaverKind = QStringLiteral("picture");
    media.hideFlashPlayer();
    state.FileCount = t.fileCount;
    state.MusicCount = t.musicCount();
    state.QuitMode = t.quitMode;
    state.MusicKinds = QByteArray(reinterpret_cast<const char *>(t.musicKinds.data()), qsizetype(t.musicKinds.size()));
    if (state.QuitMode == 1 || state.QuitMode == 4) media.hidePointer();
    state.RefPos = media.pointerPosition();

    for (int i = t.fileCount - 1; i >= 0; --i) {
        position -= t.sizes[std::size_t(i)];
        if (!extractPiece(fd.get(), position, t.sizes[std::size_t(i)], PictureFileName(i)))
            return false;
    }
    bool musicStarted = true;
    if (t.hasMusic()) {
        for (int j = state.MusicCount - 1; j >= 0; --j) {
            const auto size = t.sizes[std::size_t(t.fileCount + j)];
            position -= size;
            const std::uint8_t kind = t.musicKinds[std::size_t(j)];
            if (*package::MusicExtension(kind) == 0) continue; // unknown kind: skipped
            if (!extractPiece(fd.get(), position, size, MusicFileName(j, kind)))
                return false;
        }
        // Music that cannot start (no sound device, a damaged track) makes the result
        // false, but the slideshow's own settings are still read: a silent show keeps its
        // interval and effects.
        try {
            media.startMusic(TempDir + MusicFileName(0, t.musicKinds[0]));
        } catch (const std::exception &) {
            musicStarted = false;
        }
    }
    state.SlideDelay = t.interval;
    state.Reserved = t.reserved;
    state.EffectList.clear();
    for (int k : package::UsableEffects(t.effectFlags)) state.EffectList.push_back((unsigned char)k);
    state.EffectCount = int(state.EffectList.size());
    if (state.EffectCount == 0) media.effectError();
    return musicStarted;
}
