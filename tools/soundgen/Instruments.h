#pragma once

// The fifteen instrument recipes and the three effect sounds. Each instrument
// recipe renders one sample at the pitch of its Voicing; the same recipe makes
// an instrument's lower and upper samples, so both sound alike.

#include "tools/soundgen/Sound.h"

namespace soundgen {

Sound zubo(const Voicing& v);
Sound rezedo(const Voicing& v);
Sound dozevid(const Voicing& v);
Sound star(const Voicing& v);
Sound flower(const Voicing& v);
Sound pocket(const Voicing& v);
Sound dog(const Voicing& v);
Sound cat(const Voicing& v);
Sound pig(const Voicing& v);
Sound goose(const Voicing& v);
Sound ruzed(const Voicing& v);
Sound plane(const Voicing& v);
Sound ship(const Voicing& v);
Sound car(const Voicing& v);
Sound heart(const Voicing& v);

Sound endChime(const Voicing& v);
Sound click(const Voicing& v);
Sound eraserSwish(const Voicing& v);

} // namespace soundgen
