#pragma once
// The in/out list as the grid shows and edits it: one row per balance-history
// line (date, unadjusted balance, the deposit or withdrawal typed for that
// day). Entries of InOut.csv whose date matches no row, and further entries
// of a day whose row already shows one, are kept aside, so rewriting the list
// never loses them.

#include <string>
#include <vector>

struct TInOutRow {
    std::string Date;    // "2009/11/2", as in Balance.csv
    std::string Balance; // the unadjusted balance of that day
    std::string Amount;  // "+50000", "-3000" or empty
};

struct TInOutGrid {
    std::vector<TInOutRow> Rows;
    std::vector<std::string> Unmatched; // InOut.csv lines the rows cannot show
};

// The rows of the Balance.csv text, with the amounts of the InOut.csv text
// put on the first row of the same date.
TInOutGrid ReadInOutGrid(const std::string& balanceText, const std::string& inOutText);

// The InOut.csv text the grid stands for, in date order: every row holding
// an amount, and the entries the rows could not show.
std::string InOutListText(const TInOutGrid& grid);

// The amount cell after a key press: a digit is appended, backspace ('\b')
// removes the last character, a sign may only start an empty cell; any other
// key leaves the cell as it is.
std::string InOutCellAfterKey(const std::string& cell, char key);
