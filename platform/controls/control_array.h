#pragma once

#include "form.h"

#include <cstdint>
#include <map>
#include <stdexcept>

// Controls that share one name and are told apart by a 16-bit index. The
// indices need not be contiguous. Element 0 is designed on the window; Load
// creates further elements of lightweight kinds as copies of it.
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

    // Creates element index as a copy of element 0 as it stands now, hidden,
    // painted right after the array's last element.
    void Load(Form& form, std::int16_t index)
    {
        if (contains(index))
            throw std::logic_error("element " + std::to_string(index) + " already loaded");
        add(index, form.addCopy((*this)(0), *elements_.rbegin()->second));
    }

private:
    std::map<std::int16_t, Control*> elements_;
};
