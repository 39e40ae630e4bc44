#pragma once

namespace quillory {

// A list's remembered sort: the key it was last sorted by, positive for
// ascending and negative for descending (0: never sorted by a click).
struct SortOrder {
    int Key = 0;
    bool Ascending = true;
};

// A click on the header of the column with key `key` (1 or more): the first
// click on a new column sorts it ascending, each further click on the same
// column reverses the order. Updates `state` and returns the order to sort by.
inline SortOrder HeaderClick(int& state, int key) {
    const int current = state < 0 ? -state : state;
    const bool ascending = current != key || state <= 0;
    state = ascending ? key : -key;
    return {key, ascending};
}

// The order `state` stands for, to sort a list again after it changed.
inline SortOrder CurrentOrder(int state) {
    return {state < 0 ? -state : state, state >= 0};
}

} // namespace quillory
