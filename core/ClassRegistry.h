#pragma once
// Classes by name (look-up ignores letter case) and the task-type registry
// with the eleven task types in their fixed order.
#include "core/BaseClass.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace pm {

class EClassNotFound : public std::runtime_error {
public:
    explicit EClassNotFound(const std::string& name) : std::runtime_error("Class " + name + " not found") {}
};

using TTaskFactory = std::function<std::unique_ptr<TBaseClass>(TRunContext*)>;

class TClassRegistry {
public:
    static TClassRegistry& Instance();

    void Register(const std::string& className, TTaskFactory factory);
    bool Contains(const std::string& className) const;
    // Raises EClassNotFound for names that are not registered.
    std::unique_ptr<TBaseClass> Create(const std::string& className, TRunContext* context) const;
    std::vector<std::string> Names() const;  // in registration order

private:
    struct Entry {
        std::string name;
        TTaskFactory factory;
    };
    std::vector<Entry> entries_;
};

// Makes a task of the given type (Raises EClassNotFound).
std::unique_ptr<TBaseClass> MakeTask(const std::string& typeName, TRunContext* context);

// The eleven task types in registry order, by class name: a new scenario
// holds one task of each.
const std::vector<std::string>& TaskTypeNames();
// The task types added after the eleven, in registry order: they follow them
// in the editor's list of types and are never part of a new scenario.
const std::vector<std::string>& AddedTaskTypeNames();
// True for the eleven and the added task types (exact class names as the
// registry spells them, letter case ignored).
bool IsTaskType(const std::string& typeName);

// TTaskInfoList: captions with their class information, in registry order.
class TTaskInfoList {
public:
    struct Entry {
        std::string Caption;
        TRegClassInfo Info;
    };

    void Clear() { entries_.clear(); }
    // Registers one type, logging "    - initialize task \"name\" ... " and its outcome.
    void RegisterType(const std::string& typeName, TRunContext* context);
    // Registers the eleven task types in order, then the added ones.
    void RegisterAll(TRunContext* context);

    int IndexOf(const std::string& caption) const;  // case-insensitive, -1 if absent
    int Count() const { return static_cast<int>(entries_.size()); }
    const Entry& operator[](int i) const { return entries_[static_cast<std::size_t>(i)]; }
    const std::vector<Entry>& Entries() const { return entries_; }
    // The entries offered for a task: all of them for the first and the last
    // task of a scenario, without the loading and the saving type otherwise
    // (the added types follow the saving type, so it is no longer the last).
    std::vector<Entry> EditorTypes(bool middleTask) const;

private:
    std::vector<Entry> entries_;
};

}  // namespace pm
