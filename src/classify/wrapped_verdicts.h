// dcdiag wraps its lines at the console width. With a long DC or domain name
// a verdict comes out as
//          ......................... ad.corp.examplecompany.com failed test
//
//          FsmoCheck
// and "failed test FsmoCheck" is no longer on one line. Before its report is
// searched, such a verdict is joined again: a line that ends in "passed test"
// or "failed test" (blanks, tabs and CR after it aside) takes the test name
// from the next line that holds anything else, separated by one blank. A
// report without such a line comes out byte for byte as it went in.
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velkor {

namespace detail {

// The joining over the characters of one form of text (char or char16_t).
template <class Unit>
class VerdictJoiner {
 public:
  using Text = std::basic_string<Unit>;

  void Feed(std::basic_string_view<Unit> units, Text& out);
  void Finish(Text& out) {
    out += held_;
    held_.clear();
  }
  std::size_t Joins() const { return joins_; }

 private:
  static bool IsBlank(Unit u) { return u == Unit(' ') || u == Unit('\t') || u == Unit('\r'); }
  void Remember(Unit u);
  bool EndsInVerdict() const;

  Text held_;  // blanks not yet known to lie inside a line, or the break after a verdict
  Text tail_;  // the last characters of the line up to its last one that is no blank
  bool afterVerdict_ = false;
  std::size_t joins_ = 0;
};

}  // namespace detail

// Joins the wrapped verdicts of a report that arrives in pieces: single-byte
// text, or UTF-16LE text with its byte-order mark (decided by the first two
// bytes).
class WrappedVerdicts {
 public:
  // Appends to `out` what follows from the next bytes of the report.
  void Feed(std::string_view bytes, std::string& out);
  // The end of the report: appends what was held back.
  void Finish(std::string& out);
  // How many verdicts were joined so far.
  std::size_t Joins() const { return bytes_.Joins() + wide_.Joins(); }

 private:
  void FeedDecided(std::string_view bytes, std::string& out);
  void FeedWide(std::string_view bytes, std::string& out);

  enum class Form { Undecided, Bytes, Utf16 };
  Form form_ = Form::Undecided;
  std::string head_;  // the first bytes, until the form is decided
  bool hasOddByte_ = false;
  char oddByte_ = 0;
  detail::VerdictJoiner<char> bytes_;
  detail::VerdictJoiner<char16_t> wide_;
};

// The whole report with its wrapped verdicts joined.
std::string JoinWrappedVerdicts(std::string_view report);

// Joins the wrapped verdicts of the report at `path`, read in pieces,
// rewriting the file (through a copy beside it) only when one was joined.
// True when it was rewritten; a report that cannot be rewritten is left as
// it is.
bool JoinWrappedVerdictsInFile(const std::string& path);

}  // namespace velkor
