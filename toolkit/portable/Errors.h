// How the toolkit reports failures, and all its exceptions. A toolkit call
// that cannot do its job raises an exception (one of these, or a standard one
// such as std::bad_alloc) and shows no message about it. The one place that shows a failure is the
// general handler, Application::HandleException, which the message loop and every window procedure
// call for an exception that nobody caught. A function that answers a question (is it there, did
// the outside program take it) returns its answer instead, and says so.
#pragma once
#include <stdexcept>

namespace tk {

// An input/output failure (file, directory, drive); callers catch it by type.
class EInOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text that does not read as an integer.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A picture file or clipboard content the toolkit cannot read.
class EInvalidGraphic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// GDI could not hand out a device context or object.
class EOutOfResources : public std::runtime_error {
 public:
  EOutOfResources() : std::runtime_error("Systemressourcen erschöpft.") {}
};

// The clipboard could not be opened or refused data.
class EClipboardError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tk
