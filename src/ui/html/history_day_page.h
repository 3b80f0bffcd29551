#pragma once
#include <string>

#include "services/history_search.h"

namespace zc {

// The page of one day's history: the charset line, the heading, a note when the day was cut
// short, then the entries as the month's file has them, each followed by its break.
std::string HistoryDayPage(const std::string& heading, const HistoryDay& day, const std::string& cutNote);

}  // namespace zc
