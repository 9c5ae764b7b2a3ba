#include "fontdata/opentype/FontImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "fontdata/opentype/OpenTypeException.h"

namespace Varnholt::OpenTypeFontData {

namespace {

// Reads smaller than this fetch this much, so that the header and table
// directory, or a table's records, come in one call.
constexpr std::uint64_t kMinimumRead = 1024;

// Where an empty range points: never read, but not null.
constexpr std::uint8_t kEmpty = 0;

std::uint32_t ClampSize(off_t size) {
    if (size <= 0) {
        return 0;
    }
    const auto max = std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint64_t>(size) > max ? max : static_cast<std::uint32_t>(size);
}

// Spare buffers of this thread; small ones only, a few of them.
constexpr std::size_t kSpareBuffers = 8;
constexpr std::uint64_t kLargestSpare = 1 << 20;
thread_local std::vector<CFileImage::Buffer> t_spare;

CFileImage::Buffer TakeBuffer(std::uint64_t size) {
    for (auto it = t_spare.begin(); it != t_spare.end(); ++it) {
        if (it->capacity >= size) {
            CFileImage::Buffer buffer = std::move(*it);
            t_spare.erase(it);
            return buffer;
        }
    }
    // Uninitialised: every byte is read from the file before it is used.
    return {std::unique_ptr<std::uint8_t[]>(new std::uint8_t[size]), size};
}

void GiveBack(CFileImage::Buffer buffer) {
    if (buffer.capacity <= kLargestSpare && t_spare.size() < kSpareBuffers) {
        t_spare.push_back(std::move(buffer));
    }
}

int OpenRegularFile(const std::filesystem::path& path, std::uint32_t& size) {
    // O_NONBLOCK: a FIFO named like a font must not hang the reader.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    size = ClampSize(st.st_size);
    return fd;
}

}  // namespace

CMemoryImage::CMemoryImage(std::span<const std::uint8_t> bytes)
    : CFontImage(static_cast<std::uint32_t>(
          std::min<std::size_t>(bytes.size(), std::numeric_limits<std::uint32_t>::max()))),
      m_bytes(bytes) {}

const std::uint8_t* CMemoryImage::Bytes(std::uint64_t offset, std::uint64_t length) {
    if (!Inside(offset, length)) {
        return nullptr;
    }
    return length == 0 ? &kEmpty : m_bytes.data() + offset;
}

CFileImage::CFileImage(std::uint32_t size) : CFontImage(size) {}

CFileImage::~CFileImage() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    for (auto& segment : m_segments) {
        GiveBack(std::move(segment.buffer));
    }
    if (m_whole.bytes) {
        GiveBack(std::move(m_whole));
    }
}

bool CFileImage::Open(const std::filesystem::path& path) {
    m_fd = OpenRegularFile(path, m_fileSize);
    return m_fd >= 0;
}

CFileImage::Buffer CFileImage::ReadInto(std::uint64_t offset, std::uint64_t length) {
    Buffer buffer = TakeBuffer(length);
    std::uint64_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, buffer.bytes.get() + done, length - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // The file is shorter than its measured size, or failed: the
            // whole-file read would have come short.
            GiveBack(std::move(buffer));
            throw COpenTypeException(FontStatus::CouldNotRead);
        }
        done += static_cast<std::uint64_t>(n);
    }
    return buffer;
}

const CFileImage::Segment& CFileImage::Read(std::uint64_t offset, std::uint64_t length) {
    Segment segment;
    segment.start = offset;
    segment.size = length;
    segment.buffer = ReadInto(offset, length);
    m_segmentBytes += length;
    m_segments.push_back(std::move(segment));
    return m_segments.back();
}

const std::uint8_t* CFileImage::ReadWhole() {
    // The segments stay: what was handed out of them may still be in use.
    m_whole = ReadInto(0, Size());
    return m_whole.bytes.get();
}

const std::uint8_t* CFileImage::Held(std::uint64_t offset, std::uint64_t length) const {
    if (m_whole.bytes) {
        return m_whole.bytes.get() + offset;
    }
    for (const auto& segment : m_segments) {
        if (offset >= segment.start && offset + length <= segment.start + segment.size) {
            return segment.buffer.bytes.get() + (offset - segment.start);
        }
    }
    return nullptr;
}

bool CFileImage::Affordable(std::uint64_t length) const {
    return m_segments.size() < kMaxSegments && length <= Size() - m_segmentBytes;
}

const std::uint8_t* CFileImage::Bytes(std::uint64_t offset, std::uint64_t length) {
    if (!Inside(offset, length)) {
        return nullptr;
    }
    if (length == 0) {
        return &kEmpty;
    }
    if (const std::uint8_t* held = Held(offset, length)) {
        return held;
    }
    const std::uint64_t want =
        std::min<std::uint64_t>(std::max(length, kMinimumRead), Size() - offset);
    if (!Affordable(want)) {
        return ReadWhole() + offset;
    }
    return Read(offset, want).buffer.bytes.get();
}

void CFileImage::Prefetch(std::uint64_t offset, std::uint64_t length) {
    if (offset >= Size()) {
        return;
    }
    length = std::min<std::uint64_t>(length, Size() - offset);
    if (length == 0 || Held(offset, length) != nullptr) {
        return;
    }
    const std::uint64_t want =
        std::max(length, std::min<std::uint64_t>(kMinimumRead, Size() - offset));
    // Only a hint: one that does not fit is dropped.
    if (Affordable(want)) {
        Read(offset, want);
    }
}

std::uint64_t CFileImage::BytesHeld() const {
    std::uint64_t held = m_whole.capacity;
    for (const auto& segment : m_segments) {
        held += segment.buffer.capacity;
    }
    return held;
}

std::uint32_t MeasureFileSize(const std::filesystem::path& path) {
    std::uint32_t size = 0;
    const int fd = OpenRegularFile(path, size);
    if (fd < 0) {
        return 0;
    }
    ::close(fd);
    return size;
}

}  // namespace Varnholt::OpenTypeFontData
