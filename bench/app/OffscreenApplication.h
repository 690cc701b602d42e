// The application the app benchmarks need for fonts and font metrics, made once and
// without a display.
#pragma once

namespace tovin::bench {

void ensureApplication();

}  // namespace tovin::bench
