#include "engine/InputStream.h"

#include "engine/EngineError.h"
#include "engine/FileSource.h"
#include "platform/TextUtil.h"

#include <cstring>

namespace zeb {

namespace {

bool StartsWithScheme(std::string_view name, std::string_view scheme) {
    return name.size() > scheme.size() + 3 &&
           EqualsIgnoreCase(name.substr(0, scheme.size()), scheme) &&
           name.substr(scheme.size(), 3) == "://";
}

} // namespace

bool IsUrlName(std::string_view name) {
    return StartsWithScheme(name, "http") || StartsWithScheme(name, "ftp");
}

CInputStream::CInputStream() = default;
CInputStream::~CInputStream() {
    Close();
}

void CInputStream::Open(const std::string& name) {
    std::unique_ptr<ByteSource> source;
    if (IsUrlName(name))
        source = MakeUrlSource(name);
    else
        source = FileSource::Open(name);
    OpenSource(std::move(source), name);
}

void CInputStream::OpenSource(std::shared_ptr<ByteSource> source, const std::string& name) {
    Release();
    size_ = 0;
    isUrl_ = IsUrlName(name);
    if (!source || !Publish(source) || !source->Connect()) {
        Release();
        throw EngineError(EngineError::SourceOpen, "cannot open " + name);
    }
    seekable_ = false;
    size_ = 0;
    if (!isUrl_) {
        size_ = source->Size();
        seekable_ = true;
    } else if (StartsWithScheme(name, "http")) {
        size_ = source->Size();
        seekable_ = true;
    }
    if (!source->SeekTo(0)) {
        if (!isUrl_) {
            Release();
            throw EngineError(EngineError::SourceSeek, "cannot rewind " + name);
        }
        seekable_ = false;
    }
    if (isUrl_ && !source->Seekable())
        seekable_ = false;
    offset_ = 0;
    open_ = true;
}

bool CInputStream::Publish(const std::shared_ptr<ByteSource>& source) {
    std::lock_guard lock(sourceMutex_);
    if (aborted_)
        return false;
    source_ = source;
    return true;
}

void CInputStream::Release() {
    std::shared_ptr<ByteSource> old;
    {
        std::lock_guard lock(sourceMutex_);
        old = std::move(source_);
        source_.reset();
    }
    if (old)
        old->Abort();
    open_ = false;
}

void CInputStream::Close() {
    Release();
    std::lock_guard lock(sourceMutex_);
    aborted_ = false;
}

void CInputStream::Abort() {
    std::lock_guard lock(sourceMutex_);
    aborted_ = true;
    if (source_)
        source_->Abort();
}

std::shared_ptr<ByteSource> CInputStream::CurrentSource() {
    std::lock_guard lock(sourceMutex_);
    return source_;
}

ssize_t CInputStream::ReadSome(void* buffer, size_t n) {
    std::shared_ptr<ByteSource> source = CurrentSource();
    if (!source)
        return 0; // not open: the end of the data
    ssize_t got = source->Read(buffer, n);
    if (got > 0)
        offset_ += static_cast<uint64_t>(got);
    return got;
}

bool CInputStream::ReadWord(uint32_t& word) {
    uint8_t b[4];
    if (ReadSome(b, 4) != 4)
        return false;
    word = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
    return true;
}

int CInputStream::ReadByte(uint8_t& byte) {
    ssize_t got = ReadSome(&byte, 1);
    if (got < 0)
        throw EngineError(EngineError::SourceRead, "read failed");
    return got == 1 ? 1 : 0;
}

bool CInputStream::ReadBody(uint8_t* buffer, size_t n) {
    ssize_t got = ReadSome(buffer, n);
    if (got == 0)
        return false;
    size_t have = got > 0 ? static_cast<size_t>(got) : 0;
    if (have < n)
        std::memset(buffer + have, 0, n - have);
    return true;
}

bool CInputStream::Skip(uint64_t n) {
    std::shared_ptr<ByteSource> source = CurrentSource();
    if (!source || !source->Skip(n))
        return false;
    offset_ += n;
    return true;
}

bool CInputStream::SeekTo(uint64_t offset) {
    std::shared_ptr<ByteSource> source = CurrentSource();
    if (!source || !source->SeekTo(offset))
        return false;
    offset_ = offset;
    return true;
}

} // namespace zeb
