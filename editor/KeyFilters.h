#pragma once
// What a field takes as it is typed: FilterKey's modes (digits, and the few other characters each
// mode lets through), and a field that takes everything but a blank.
enum FilterMode { FilterNone = 0, FilterPhone = 1, FilterIdNumber = 2, FilterAmount = 3, FilterDigits = 4, FilterNoBlank = 5 };
