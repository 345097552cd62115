// An output stream whose text reaches the debugger output channel each time it is flushed,
// whole and unchanged. Every source file that includes this header gets its own instance, dout.
#pragma once

#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "platform/DebugChannel.h"

template <class CharT, class Traits = std::char_traits<CharT>>
class basic_debugbuf : public std::basic_stringbuf<CharT, Traits> {
 public:
  basic_debugbuf() : std::basic_stringbuf<CharT, Traits>(std::ios_base::in | std::ios_base::out) {}
  ~basic_debugbuf() override { sync(); }

 protected:
  int sync() override {
    const std::basic_string<CharT, Traits> text = this->str();
    DebugChannel::Output(std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(CharT)));
    this->str(std::basic_string<CharT, Traits>());
    return 0;
  }
};

// Holds the stream's buffer in a base that is built before the stream and destroyed after it,
// so the buffer's final flush runs while nothing refers to it any more.
template <class CharT, class Traits>
struct DebugBufOwner {
  std::unique_ptr<basic_debugbuf<CharT, Traits>> buffer = std::make_unique<basic_debugbuf<CharT, Traits>>();
};

template <class CharT, class Traits = std::char_traits<CharT>>
class basic_dostream : private DebugBufOwner<CharT, Traits>, public std::basic_ostream<CharT, Traits> {
 public:
  basic_dostream() : std::basic_ostream<CharT, Traits>(this->buffer.get()) {}
  basic_dostream(const basic_dostream&) = delete;
  basic_dostream& operator=(const basic_dostream&) = delete;
};

using dostream = basic_dostream<char>;

namespace {
// Internal linkage on purpose: one stream per source file, built before main and flushed at exit.
[[maybe_unused]] dostream dout;
}  // namespace
