#pragma once

// Opaque cairo handles, so that public headers of the graphics layer do not pull
// cairo into the layers above it. The typedefs repeat cairo's own.

extern "C" {
typedef struct _cairo cairo_t;                  // NOLINT
typedef struct _cairo_surface cairo_surface_t;  // NOLINT
}
