#pragma once
// Directive lines of a demonstration script: a line whose first word starts
// with "#" and names a directive stands for several ordinary script lines.
// They are produced one directive at a time, when the playback reaches the
// line and has nothing queued, and are played before the next script line.
// The language knows the line grammar only as text; it builds no actions.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

class TVxDemoLanguage {
 public:
  // Queues the lines that lines[index] stands for and says whether it was a
  // directive. ResumeLine becomes index, or for a block the index of its
  // "#OD" line (the script's line count when the block has none). A loop
  // whose from, to or step is not a decimal integer, or whose step is 0, is
  // rejected: nothing is queued, the result is true (the line was a
  // directive) and Error() tells why. A block without "#OD" runs to the end
  // of the script and plays its body once; Error() says so.
  bool Expand(const std::vector<std::string> &lines, int32_t index);
  // The first queued line, removed; empty when nothing is queued.
  std::string Pop();
  void Clear();
  bool IsEmpty() const { return Output.empty(); }
  // Index of the script line at which playback continues once the queue has
  // drained.
  int32_t GetResumeLine() const { return ResumeLine; }
  // What was wrong with the last expanded directive; empty when nothing.
  const std::string &Error() const { return LastError; }
  const std::deque<std::string> &Queued() const { return Output; }

  // Cuts the first word off text. Blanks are TAB and space only; leading
  // blanks are removed before and after the word.
  static std::string NextToken(std::string &text);
  // ResumeLine := the first line at or after start whose first word equals
  // word without regard to (ASCII) case; the line count when there is none.
  void FindBlockEnd(int32_t start, const std::vector<std::string> &lines, std::string_view word);

 private:
  void Append(std::string line) { Output.push_back(std::move(line)); }
  void Messages(std::string text);
  void Message1(const std::string &word);
  void GoTo(std::string text, std::string_view prefix);
  void Use(std::string text, bool withValue);
  void Finish();
  void For(std::string text);
  void Each(std::string text);
  void DoFor(std::string text, const std::vector<std::string> &lines, int32_t index);
  void DoEach(std::string text, const std::vector<std::string> &lines, int32_t index);
  void EmitBody(const std::vector<std::string> &body, std::string_view placeholder,
                std::string_view value);
  std::vector<std::string> Body(const std::vector<std::string> &lines, int32_t index);
  // The counter values of from, to and an optional step; false (with
  // LastError set) when a word is not a decimal integer or the step is 0.
  bool Counter(std::string &text, std::vector<int64_t> &values);

  std::deque<std::string> Output;
  int32_t ResumeLine = 0;
  std::string LastError;
};
