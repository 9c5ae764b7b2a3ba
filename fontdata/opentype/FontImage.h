#pragma once

// The bytes of one font file, seen through ranges that are checked against
// the file's measured size.
//
// Contract: Bytes(offset, length) returns a pointer to `length` readable
// bytes, or nullptr when [offset, offset + length) does not lie inside the
// image. Nothing is ever read outside the image, whatever the offsets and
// counts written in the file say. A range of length 0 is always inside.
//
// CFileImage reads only the ranges that are asked for (with pread), so a
// parse that touches three small tables of a 20 MB font reads kilobytes.
// Results are those of reading the whole file first: the image is exactly
// `size` bytes long, and a file shorter than `size` is a read failure.
//
// What a CFileImage holds is bounded by the file, not by what it is asked:
// the ranges it keeps add up to at most the file's size and are at most
// kMaxSegments; a range that would pass either bound makes it read the
// whole file once, and every later range comes from that. So it holds at
// most twice the file (plus the spare buffers of its thread), and finding a
// range costs at most kMaxSegments comparisons, however many overlapping
// ranges a crafted file makes the parse ask for.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

namespace Varnholt::OpenTypeFontData {

// Fonts of this size or larger are refused: files without being opened,
// web fonts without being decoded.
inline constexpr std::uint32_t kMaxFontSize = 50u * 1024 * 1024;

class CFontImage {
public:
    virtual ~CFontImage() = default;

    std::uint32_t Size() const { return m_size; }

    // May throw COpenTypeException(FontStatus::CouldNotRead) when the file fails.
    virtual const std::uint8_t* Bytes(std::uint64_t offset, std::uint64_t length) = 0;

    // A hint that the range is about to be read; clamped to the image.
    virtual void Prefetch(std::uint64_t /*offset*/, std::uint64_t /*length*/) {}

    // Bytes of memory the image holds for what it has read (0 for an image
    // over bytes that someone else holds).
    virtual std::uint64_t BytesHeld() const { return 0; }

protected:
    explicit CFontImage(std::uint32_t size) : m_size(size) {}
    void Resize(std::uint32_t size) { m_size = size; }
    // An empty range reads nothing, so it is inside wherever it starts.
    bool Inside(std::uint64_t offset, std::uint64_t length) const {
        return length == 0 || (offset <= m_size && length <= m_size - offset);
    }

private:
    std::uint32_t m_size;
};

// An image over bytes already in memory (tests, fuzzing, small files).
class CMemoryImage final : public CFontImage {
public:
    explicit CMemoryImage(std::span<const std::uint8_t> bytes);
    const std::uint8_t* Bytes(std::uint64_t offset, std::uint64_t length) override;

private:
    std::span<const std::uint8_t> m_bytes;
};

// An image over an open file, read on demand. Never maps the file: another
// program may truncate it while we read.
class CFileImage final : public CFontImage {
public:
    // Opens `path` for reading. Open() reports false when the file cannot be
    // opened (or is not a regular file); then nothing else may be called.
    explicit CFileImage(std::uint32_t size);
    ~CFileImage() override;
    CFileImage(const CFileImage&) = delete;
    CFileImage& operator=(const CFileImage&) = delete;

    bool Open(const std::filesystem::path& path);
    // The size of the open file in bytes, clamped to 32 bits.
    std::uint32_t FileSize() const { return m_fileSize; }
    // Sets the image's size before any byte was read (used when the image
    // measures the file itself).
    void SetSize(std::uint32_t size) { Resize(size); }

    const std::uint8_t* Bytes(std::uint64_t offset, std::uint64_t length) override;
    void Prefetch(std::uint64_t offset, std::uint64_t length) override;
    std::uint64_t BytesHeld() const override;

    // Bytes read from the file. Buffers are handed back to a small pool of
    // the thread when the image ends, since a folder load reads thousands
    // of images one after another on each thread.
    struct Buffer {
        std::unique_ptr<std::uint8_t[]> bytes;
        std::uint64_t capacity = 0;
    };

    static constexpr std::size_t kMaxSegments = 64;

private:
    struct Segment {
        std::uint64_t start = 0;
        std::uint64_t size = 0;
        Buffer buffer;  // never moves its bytes, so pointers into it stay valid
    };
    // The range from what was read before, or nullptr.
    const std::uint8_t* Held(std::uint64_t offset, std::uint64_t length) const;
    // Whether a segment of `length` more bytes stays within the bounds.
    bool Affordable(std::uint64_t length) const;
    const Segment& Read(std::uint64_t offset, std::uint64_t length);
    const std::uint8_t* ReadWhole();
    Buffer ReadInto(std::uint64_t offset, std::uint64_t length);

    int m_fd = -1;
    std::uint32_t m_fileSize = 0;
    std::vector<Segment> m_segments;
    std::uint64_t m_segmentBytes = 0;  // bytes read into m_segments
    Buffer m_whole;                    // the whole file, once a range did not fit
};

// The size of a file as the font item measures it: opened for reading, its
// size taken; 0 when it cannot be opened or is not a regular file.
std::uint32_t MeasureFileSize(const std::filesystem::path& path);

}  // namespace Varnholt::OpenTypeFontData
