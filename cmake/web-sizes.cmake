# Writes the sizes of the page's program files into sizes.json, for the page's loading figure.
#   cmake -DSITE=build-web/site -P cmake/web-sizes.cmake
file(SIZE ${SITE}/swirlbeam.wasm wasm)
file(SIZE ${SITE}/swirlbeam.data data)
file(WRITE ${SITE}/sizes.json "{\"wasm\": ${wasm}, \"data\": ${data}}\n")
