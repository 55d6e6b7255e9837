// Named collections with a 256-bucket name index.
#include "engine/HashCollection.h"

#include "engine/ComponentStream.h"

THashCollectionItem::~THashCollectionItem() {
    Unlink();
}

void THashCollectionItem::Link() {
    bucket_ = THashCollection::NameHash(name_);
    THashCollectionItem*& head = collection_->buckets_[bucket_];
    prev_ = nullptr;
    next_ = head;
    if (head) head->prev_ = this;
    head = this;
}

void THashCollectionItem::Unlink() {
    if (bucket_ < 0) return;
    if (prev_)
        prev_->next_ = next_;
    else
        collection_->buckets_[bucket_] = next_;
    if (next_) next_->prev_ = prev_;
    prev_ = next_ = nullptr;
    bucket_ = -1;
}

void THashCollectionItem::SetName(const std::string& name) {
    if (name == name_) return;
    Unlink();
    name_ = name;
    Link();
}

THashCollection::~THashCollection() {
    Clear();
}

int THashCollection::NameHash(const std::string& name) {
    std::string s = LowerCase(name);
    unsigned h = unsigned(s.size()) * 16u;
    if (s.size() >= 2) h += unsigned(uint8_t(s[s.size() - 2])) + unsigned(uint8_t(s[0]));
    return int(h % 256u);
}

THashCollectionItem* THashCollection::ItemAt(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return items_[size_t(index)].get();
}

THashCollectionItem* THashCollection::FindByName(const std::string& name) const {
    for (THashCollectionItem* it = buckets_[NameHash(name)]; it; it = it->next_)
        if (SameText(it->name_, name)) return it;
    return nullptr;
}

THashCollectionItem& THashCollection::AddItem(std::unique_ptr<THashCollectionItem> item) {
    item->index_ = Count();
    items_.push_back(std::move(item));
    THashCollectionItem& added = *items_.back();
    added.Link();
    return added;
}

void THashCollection::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    // Detach from the vector first so the item's destructor sees a consistent collection.
    std::unique_ptr<THashCollectionItem> doomed = std::move(items_[size_t(index)]);
    items_.erase(items_.begin() + index);
    for (size_t i = size_t(index); i < items_.size(); ++i)
        items_[i]->index_ = int(i);
    doomed.reset();
}

void THashCollection::Clear() {
    while (!items_.empty())
        Delete(Count() - 1);
}
