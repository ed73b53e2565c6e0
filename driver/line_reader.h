// Reading the interactive session's lines: with libedit's line editing and a history kept in
// ~/.vorn_history when standard input and output are a terminal; plainly, one line at a time,
// otherwise (a pipe, a file), which is how tests and scripts drive a session.
#pragma once

#include <memory>
#include <string>

namespace vorn::driver {

class LineReader {
 public:
  enum class Got { kLine, kEnd, kInterrupted };

  LineReader();
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // True when lines are edited on a terminal (standard input and output both are one).
  bool editing() const { return editor_ != nullptr; }

  // The next line, without its newline; kInterrupted when Ctrl-C abandoned the line being typed.
  Got read(std::string& line);
  // Adds a line to the history, and the history to its file.
  void remember(const std::string& line);

 private:
  struct Editor;
  std::unique_ptr<Editor> editor_;
  bool onTerminal_ = false;  // standard input is a terminal: a person types, a prompt is shown
};

}  // namespace vorn::driver
