// The widget contract against the Windows toolkit.
#include <tests/contract/widget_contract.h>
