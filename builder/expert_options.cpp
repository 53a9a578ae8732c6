#include "builder/expert_options.h"

namespace ko {

const std::array<TExpertOption, 8>& ExpertOptions() {
    static constexpr std::array<TExpertOption, 8> options = {{
        {"enable_expert_advisors", "Enable Expert Advisors"},
        {"disable_on_account_change", "Disable experts when the account has been changed"},
        {"disable_on_profile_change", "Disable experts when the profile has been changed"},
        {"allow_live_trading", "Allow live trading"},
        {"ask_manual_confirmation", "Ask manual confirmation"},
        {"allow_dll_imports", "Allow DLL imports"},
        {"confirm_dll_function_calls", "Confirm DLL function calls"},
        {"allow_external_experts_imports", "Allow external experts imports"},
    }};
    return options;
}

} // namespace ko
