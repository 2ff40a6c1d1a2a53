#!/usr/bin/env bash
# Sourced by the test run scripts: `phase NAME` prints "[phase 2026-12-09T20:05:07Z] NAME" as a
# phase of the run begins, so that tools/run_times.py can tell where a run's minutes went.
phase() { printf '[phase %s] %s\n' "$(date -u +%Y-%m-%dT%H:%M:%SZ)" "$*"; }
