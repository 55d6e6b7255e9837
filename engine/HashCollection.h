// Named collections with a 256-bucket name index, shared by the picture and wave collections.
#pragma once
#include <memory>
#include <string>
#include <vector>

class THashCollection;

// An item of a THashCollection: its Name (the lookup key), its index and its bucket links.
// Items are created and owned by their collection (THashCollection::AddItem).
class THashCollectionItem {
  public:
    virtual ~THashCollectionItem();
    THashCollectionItem(const THashCollectionItem&) = delete;
    THashCollectionItem& operator=(const THashCollectionItem&) = delete;

    // The lookup key.
    const std::string& Name() const { return name_; }
    // Stores a new name; a different value moves the item to the head of its new bucket, so
    // the item named last wins among equal names.
    void SetName(const std::string& name);
    // Position in the collection (0-based).
    int Index() const { return index_; }
    // The owning collection.
    THashCollection& Collection() const { return *collection_; }

  protected:
    // Items are made by their collection's Add (see THashCollection::AddItem).
    explicit THashCollectionItem(THashCollection& collection) : collection_(&collection) {}

  private:
    friend class THashCollection;
    void Link();
    void Unlink();

    THashCollection* collection_;
    std::string name_;
    int index_ = -1;
    int bucket_ = -1;
    THashCollectionItem* prev_ = nullptr;
    THashCollectionItem* next_ = nullptr;
};

// Owns its items in order and finds them by name (ignoring case) through 256 hash buckets.
class THashCollection {
  public:
    THashCollection() = default;
    virtual ~THashCollection();
    THashCollection(const THashCollection&) = delete;
    THashCollection& operator=(const THashCollection&) = delete;

    // Number of items.
    int Count() const { return int(items_.size()); }
    // The item at Index (0-based); null when out of range.
    THashCollectionItem* ItemAt(int index) const;
    // The item whose name equals Name ignoring case (the one named last when several do); null if none.
    THashCollectionItem* FindByName(const std::string& name) const;
    // Destroys the item at Index; later items move down by one.
    void Delete(int index);
    // Destroys every item (last first).
    void Clear();

    // The bucket (0-255) of a name: from its lower-cased length, second-to-last and first characters.
    static int NameHash(const std::string& name);

  protected:
    // Takes ownership of a new item, appends it and links it into bucket 0 (empty name).
    THashCollectionItem& AddItem(std::unique_ptr<THashCollectionItem> item);

  private:
    friend class THashCollectionItem;
    std::vector<std::unique_ptr<THashCollectionItem>> items_;
    THashCollectionItem* buckets_[256] = {};
};
