#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>

// Controls that share one name and are told apart by a 16-bit index. The
// indices need not be contiguous.
template <class Control>
class ControlArray {
public:
    Control& operator()(std::int16_t index) const
    {
        const auto found = elements_.find(index);
        if (found == elements_.end())
            throw std::out_of_range("no element " + std::to_string(index) + " in control array");
        return *found->second;
    }

    void add(std::int16_t index, Control& control) { elements_[index] = &control; }
    bool contains(std::int16_t index) const { return elements_.count(index) != 0; }
    int count() const { return int(elements_.size()); }

private:
    std::map<std::int16_t, Control*> elements_;
};
