// The mixed text and binary file stream.

#include <bit>
#include <cstring>

#include "qmx/foundation/basepack.hpp"

namespace qmx {

namespace {

std::unique_ptr<TFileStream> OpenMixed(const std::string& name, TMixedFMode mode) {
  switch (mode) {
    case TMixedFMode::mfmRead:
      return std::make_unique<TFileStream>(name, TFileMode::fmOpenRead);
    case TMixedFMode::mfmAppend: {
      auto s = FileExists(name) ? std::make_unique<TFileStream>(name, TFileMode::fmOpenReadWrite)
                                : std::make_unique<TFileStream>(name, TFileMode::fmCreate);
      s->Seek(0, TSeekOrigin::soEnd);
      return s;
    }
    case TMixedFMode::mfmCreate:
      break;
  }
  return std::make_unique<TFileStream>(name, TFileMode::fmCreate);
}

template <class U>
void PutLittleEndian(U u, std::uint8_t* out) {
  for (std::size_t i = 0; i < sizeof(U); ++i) {
    out[i] = static_cast<std::uint8_t>(u >> (8 * i));
  }
}

template <class U>
U GetLittleEndian(const std::uint8_t* in) {
  U u = 0;
  for (std::size_t i = 0; i < sizeof(U); ++i) {
    u |= static_cast<U>(in[i]) << (8 * i);
  }
  return u;
}

}  // namespace

TMixedFStream::TMixedFStream(const std::string& FileName, TMixedFMode Mode)
    : stream_(OpenMixed(FileName, Mode)), fileName_(FileName) {}

TMixedFStream::~TMixedFStream() = default;

std::string_view TMixedFStream::ClassName() const { return "TMixedFStream"; }

void TMixedFStream::WriteLn(std::string_view Text) {
  std::string line;
  line.reserve(Text.size() + 2);
  for (const char c : Text) {
    line.push_back(c == '\r' || c == '\n' ? ' ' : c);
  }
  line += "\r\n";
  stream_->WriteBuffer(line.data(), static_cast<std::int64_t>(line.size()));
}

void TMixedFStream::WriteByte(std::uint8_t Value) { stream_->WriteBuffer(&Value, 1); }

void TMixedFStream::WriteInteger(std::int32_t Value) {
  std::uint8_t bytes[4];
  PutLittleEndian(static_cast<std::uint32_t>(Value), bytes);
  stream_->WriteBuffer(bytes, 4);
}

void TMixedFStream::WriteDouble(double Value) {
  std::uint8_t bytes[8];
  PutLittleEndian(std::bit_cast<std::uint64_t>(Value), bytes);
  stream_->WriteBuffer(bytes, 8);
}

bool TMixedFStream::ReadExact(void* Buffer, std::int64_t Count) {
  if (stream_->Size() - stream_->Position() < Count) {
    stream_->Seek(0, TSeekOrigin::soEnd);
    return false;
  }
  if (stream_->Read(Buffer, Count) != Count) {
    stream_->Seek(0, TSeekOrigin::soEnd);
    return false;
  }
  return true;
}

bool TMixedFStream::ReadLn(std::string& Line, std::int32_t MaxLen) {
  Line.clear();
  const std::size_t maxLen = MaxLen > 0 ? static_cast<std::size_t>(MaxLen) : 0u;
  // Reads in blocks and steps back over what follows the line end, so that a
  // binary value after the line is read from its first byte.
  std::uint8_t block[512];
  bool any = false;
  bool pendingCR = false;
  auto keep = [&](char c) {
    if (Line.size() < maxLen) {
      Line.push_back(c);
    }
  };
  for (;;) {
    const std::int64_t got = stream_->Read(block, static_cast<std::int64_t>(sizeof block));
    if (got <= 0) {
      break;
    }
    any = true;
    for (std::int64_t i = 0; i < got; ++i) {
      const char c = static_cast<char>(block[i]);
      if (c == '\n') {
        stream_->Seek(i + 1 - got, TSeekOrigin::soCurrent);
        return true;
      }
      if (pendingCR) {
        keep('\r');
        pendingCR = false;
      }
      if (c == '\r') {
        pendingCR = true;
      } else {
        keep(c);
      }
    }
  }
  // A CR at the very end of the file ends the last line like CR LF would.
  return any;
}

bool TMixedFStream::ReadByte(std::uint8_t& Value) {
  Value = 0;
  return ReadExact(&Value, 1);
}

bool TMixedFStream::ReadInteger(std::int32_t& Value) {
  Value = 0;
  std::uint8_t bytes[4];
  if (!ReadExact(bytes, 4)) {
    return false;
  }
  Value = static_cast<std::int32_t>(GetLittleEndian<std::uint32_t>(bytes));
  return true;
}

bool TMixedFStream::ReadDouble(double& Value) {
  Value = 0.0;
  std::uint8_t bytes[8];
  if (!ReadExact(bytes, 8)) {
    return false;
  }
  Value = std::bit_cast<double>(GetLittleEndian<std::uint64_t>(bytes));
  return true;
}

bool TMixedFStream::Eof() const { return stream_->Position() >= stream_->Size(); }

std::int64_t TMixedFStream::Position() const { return stream_->Position(); }

std::int64_t TMixedFStream::Size() const { return stream_->Size(); }

}  // namespace qmx
