// Resource ids shared by the resource script and the code. A classic
// include guard: resource compilers do not all know #pragma once.
#ifndef LUMIO_WIN32_RESOURCE_IDS_H
#define LUMIO_WIN32_RESOURCE_IDS_H

#define IDI_LUMIO 1

#endif
