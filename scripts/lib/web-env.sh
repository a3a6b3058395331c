# What Debian's Emscripten needs in the environment to link; source it before calling emcc or em++:
#   . scripts/lib/web-env.sh
# emcc's JavaScript tools load acorn and friends from Debian's /usr/share/nodejs, which only
# Debian's own Node searches by itself; another Node (20 here) stops with "Cannot find module".
case ":${NODE_PATH:-}:" in
  *:/usr/share/nodejs:*) ;;
  *) export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}" ;;
esac
