#include "lxClasses.h"

#include <algorithm>

namespace lx {

void Abort() { throw EAbort(); }

namespace {
char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

void TStringList::CheckIndex(int index, int limit) const {
  if (index < 0 || index > limit) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

const std::string& TStringList::Strings(int index) const {
  CheckIndex(index, Count() - 1);
  return items_[static_cast<size_t>(index)];
}

void TStringList::SetStrings(int index, std::string value) {
  CheckIndex(index, Count() - 1);
  items_[static_cast<size_t>(index)] = std::move(value);
}

int TStringList::Add(std::string value) {
  items_.push_back(std::move(value));
  return Count() - 1;
}

void TStringList::Insert(int index, std::string value) {
  CheckIndex(index, Count());
  items_.insert(items_.begin() + index, std::move(value));
}

void TStringList::Delete(int index) {
  CheckIndex(index, Count() - 1);
  items_.erase(items_.begin() + index);
}

int TStringList::IndexOf(std::string_view value) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (SameText(items_[i], value)) return static_cast<int>(i);
  return -1;
}

TComponent::~TComponent() {
  // Copy first: the notified components unlink themselves while we walk.
  const std::vector<TComponent*> links = freeNotifies_;
  freeNotifies_.clear();
  for (TComponent* other : links) {
    auto& theirs = other->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    other->Notification(this, opRemove);
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
    freeNotifies_.push_back(component);
    component->freeNotifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component), freeNotifies_.end());
  auto& theirs = component->freeNotifies_;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent*, TOperation) {}

}  // namespace lx
