// Outcome of a routine that can fail; the routine that fails has already written its message.
#pragma once

namespace hf {

enum class [[nodiscard]] Status{ok, error};

}  // namespace hf
