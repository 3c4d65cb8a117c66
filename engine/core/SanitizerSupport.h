#pragma once

// In AddressSanitizer builds, keeps Mesa's GL driver mapped until the process ends (see the .cpp);
// in every other build it does nothing. Call before the first GL context is created.
void keepGlDriverMapped();
