// Components, string lists and the framework's exceptions.
//
// The export components keep their group field names in a string list, stop
// an export when an event handler raises the silent abort, and forget a grid
// or dataset that is destroyed while they still point at it. This unit holds
// the three: TStringList, the exception classes (the dataset layer raises its
// errors from Exception too) and TComponent with its removal notification.
// Strings are 8-bit text in the system code page, as every string property of
// the components is.
#pragma once

#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace lx {

// Base of the framework's exceptions; the message is 8-bit text.
class Exception : public std::exception {
 public:
  // An exception with a message.
  explicit Exception(std::string message) : message_(std::move(message)) {}
  // The message.
  const char* what() const noexcept override { return message_.c_str(); }
  // The message.
  const std::string& Message() const { return message_; }

 private:
  std::string message_;
};

// The silent abort: stops the operation in progress without an error
// message. The export components turn it into the result -100.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

// An index outside a list.
class EListError : public Exception {
 public:
  // An EListError with a message.
  using Exception::Exception;
};

// Raises the silent abort.
[[noreturn]] void Abort();

// Case-insensitive comparison of 8-bit text, ASCII letters folded; what
// string lists and field lookups use to match names.
bool SameText(std::string_view a, std::string_view b);

// An ordered list of 8-bit strings. IndexOf compares without regard to the
// case of ASCII letters, as the framework's lists do; Strings outside the
// list raise EListError.
class TStringList {
 public:
  TStringList() = default;
  // A list of the given strings.
  TStringList(std::initializer_list<std::string> items) : items_(items) {}

  // The number of strings.
  int Count() const { return static_cast<int>(items_.size()); }
  // The string at a 0-based index; raises EListError outside the list.
  const std::string& Strings(int index) const;
  // As Strings.
  const std::string& operator[](int index) const { return Strings(index); }
  // Replaces the string at a 0-based index; raises EListError outside the list.
  void SetStrings(int index, std::string value);
  // Appends and returns the new string's index.
  int Add(std::string value);
  // Inserts a string before a 0-based index (Count() appends); raises EListError outside 0..Count().
  void Insert(int index, std::string value);
  // Removes the string at a 0-based index; raises EListError outside the list.
  void Delete(int index);
  // Removes every string.
  void Clear() { items_.clear(); }
  // Replaces the contents with a copy of the source's strings.
  void Assign(const TStringList& source) { items_ = source.items_; }
  // The first index of a string equal to the value in the sense of
  // SameText; -1 when there is none.
  int IndexOf(std::string_view value) const;

  // The first string, for range-based for.
  std::vector<std::string>::const_iterator begin() const { return items_.begin(); }
  // Past the last string.
  std::vector<std::string>::const_iterator end() const { return items_.end(); }
  // Lists are equal when they hold equal strings in the same order.
  friend bool operator==(const TStringList&, const TStringList&) = default;

 private:
  void CheckIndex(int index, int limit) const;
  std::vector<std::string> items_;
};

// What Notification tells about a component: inserted, or being removed (destroyed).
enum TOperation { opInsert, opRemove };

// Base of the framework's non-visual objects (datasets, data sources, grids,
// export components). Objects that keep a plain pointer to another component
// register with FreeNotification(other); when either of the two is
// destroyed, the other one receives Notification(dying, opRemove) and clears
// its pointer. Components are not copyable: the links are by address.
class TComponent {
 public:
  TComponent() = default;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  virtual ~TComponent();

  // The component's name.
  const std::string& Name() const { return name_; }
  // Sets the component's name.
  void SetName(std::string name) { name_ = std::move(name); }

  // Asks to be told (through Notification) when component is destroyed.
  void FreeNotification(TComponent* component);
  // No longer asks to be told when component is destroyed.
  void RemoveFreeNotification(TComponent* component);

 protected:
  // Called when a component this one registered with (or that registered with this one) is destroyed (opRemove); a
  // derived class clears its pointer to it.
  virtual void Notification(TComponent* component, TOperation operation);

 private:
  std::string name_;
  std::vector<TComponent*> freeNotifies_;  // not owned; kept symmetric
};

// The framework uses the abstract name for properties; our list is the one
// implementation.
using TStrings = TStringList;

}  // namespace lx
