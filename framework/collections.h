// The growable arrays and the ordered set the engine's lists are made of.
#pragma once

#include <set>
#include <vector>

#include "framework/cstring.h"

// Indexing is by int, as the framework's arrays do; indices are not checked.
template <class T>
class CArray {
 public:
  int GetSize() const { return int(m_items.size()); }
  int GetCount() const { return int(m_items.size()); }
  BOOL IsEmpty() const { return m_items.empty(); }
  const T& GetAt(int i) const { return m_items[size_t(i)]; }
  T& ElementAt(int i) { return m_items[size_t(i)]; }
  void SetAt(int i, const T& v) { m_items[size_t(i)] = v; }
  const T& operator[](int i) const { return m_items[size_t(i)]; }
  T& operator[](int i) { return m_items[size_t(i)]; }
  int Add(const T& v) {
    m_items.push_back(v);
    return int(m_items.size()) - 1;
  }
  int Add(T&& v) {
    m_items.push_back(std::move(v));
    return int(m_items.size()) - 1;
  }
  void InsertAt(int i, const T& v) { m_items.insert(m_items.begin() + i, v); }
  void RemoveAt(int i, int count = 1) { m_items.erase(m_items.begin() + i, m_items.begin() + i + count); }
  void RemoveAll() { m_items.clear(); }
  void SetSize(int n) { m_items.resize(size_t(n > 0 ? n : 0)); }
  T* GetData() { return m_items.data(); }
  const T* GetData() const { return m_items.data(); }
  void Reserve(int n) { m_items.reserve(size_t(n)); }

  typename std::vector<T>::iterator begin() { return m_items.begin(); }
  typename std::vector<T>::iterator end() { return m_items.end(); }
  typename std::vector<T>::const_iterator begin() const { return m_items.begin(); }
  typename std::vector<T>::const_iterator end() const { return m_items.end(); }

 private:
  std::vector<T> m_items;
};

typedef CArray<CString> CStringArray;

// Ordered by plain code-unit comparison, without duplicates.
typedef std::set<CString> CStringSet;
