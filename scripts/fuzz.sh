#!/usr/bin/env bash
# Placeholder, filled in with the fuzz targets.
exit 0
