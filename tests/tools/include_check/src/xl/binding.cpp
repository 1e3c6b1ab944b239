// The binding reaching into the shell: the include check must refuse it.
#include "app/shell.h"
