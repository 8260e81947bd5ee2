#!/bin/sh
# Fetches the FatturaPA schema and its reader from the npm package @digitalia/fatturapa into the
# cache folder $1 (once; later runs find it there). The schema imports the W3C signature schema from
# the web: the copy it leaves as $1/Schema_local.xsd imports a small local stand-in instead, which
# declares the one element the invoice schema refers to (ds:Signature); our files never carry one,
# so xmllint can validate with --nonet. The package's runtime dependencies are installed beside it for
# the Node reader. Prints the reason and exits 1 when something cannot be fetched.
set -eu
cache=$1
[ -f "$cache/ready" ] && exit 0
command -v npm >/dev/null 2>&1 || { echo "npm non disponibile"; exit 1; }
mkdir -p "$(dirname "$cache")"
work=$(mktemp -d "$cache.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
if ! npm pack @digitalia/fatturapa >pack.log 2>&1; then
    echo "npm pack @digitalia/fatturapa non riuscito: $(grep -m 3 -i 'err' pack.log | tr '\n' ' ')"
    exit 1
fi
tar xzf digitalia-fatturapa-*.tgz
cat > xmldsig-stand-in.xsd <<'XSD'
<?xml version="1.0" encoding="UTF-8"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema" targetNamespace="http://www.w3.org/2000/09/xmldsig#"
           elementFormDefault="qualified">
  <xs:element name="Signature">
    <xs:complexType>
      <xs:sequence>
        <xs:any processContents="skip" minOccurs="0" maxOccurs="unbounded"/>
      </xs:sequence>
    </xs:complexType>
  </xs:element>
</xs:schema>
XSD
sed 's#schemaLocation="http://www.w3.org/TR/2002/REC-xmldsig-core-20020212/xmldsig-core-schema.xsd"#schemaLocation="xmldsig-stand-in.xsd"#' \
    package/src/schemas/Schema_1.2.1.xsd > Schema_local.xsd
grep -q 'schemaLocation="xmldsig-stand-in.xsd"' Schema_local.xsd || { echo "import della firma non trovato nello schema"; exit 1; }
# The reader needs its dependencies; without them only the schema step runs.
if (cd package && npm install --silent --omit=dev --ignore-scripts --no-audit --no-fund >../install.log 2>&1); then
    touch reader-ready
fi
touch ready
cd /
trap - EXIT
rm -rf "$cache.old"
mv "$work" "$cache" 2>/dev/null || rm -rf "$work" # another run got there first
