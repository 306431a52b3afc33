#!/usr/bin/env bash
# The plug-in exports the factory and the handler class, nothing else.
set -euo pipefail
lib="$1"
syms=$(nm -D --defined-only "$lib" | awk '{print $3}' | c++filt)
for want in CreateForeignHandlerTSM CreateForeignHandlerTSMWithValue DestroyForeignHandlerTSM \
            'CForeignHandlerTSM::DiscoverClients(CNMessageBase*)' 'vtable for CForeignHandlerTSM'; do
  grep -qxF "$want" <<<"$syms" || { echo "missing export: $want"; exit 1; }
done
stray=$(grep -vE '^(CreateForeignHandlerTSM|CreateForeignHandlerTSMWithValue|DestroyForeignHandlerTSM)$|CForeignHandlerTSM(::|$)' <<<"$syms" || true)
if [ -n "$stray" ]; then
  echo "unexpected exports:"; echo "$stray"; exit 1
fi
echo "exports ok: $(wc -l <<<"$syms") symbols"
