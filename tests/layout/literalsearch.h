#pragma once

#include "logsink.h"
#include "node.h"
#include "searchinput.h"

namespace marquetrix::layout::testing {

// The layout search written down step by step as designed: every tree of every ordering
// is built as nodes. Exponential, so only for small inputs: it is the oracle the fast
// search is checked against.
NodePtr findLayoutLiteral(const SearchInput &input, LayoutCache &cache, LogSink &log);

} // namespace marquetrix::layout::testing
