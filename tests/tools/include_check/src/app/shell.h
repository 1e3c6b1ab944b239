// A header of the shell, which the binding must not reach.
#pragma once
